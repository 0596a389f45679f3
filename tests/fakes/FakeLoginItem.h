#pragma once

#include "platform/LoginItem.h"

namespace quillet::test {

// A login item whose system may refuse changes or settle on a status of its own choosing.
class FakeLoginItem final : public LoginItem {
public:
    Status status() const override { return current; }
    bool setEnabled(bool enabled, QString* error) override {
        ++calls;
        if (!refusal.isEmpty()) {
            if (error) *error = refusal;
            return false;
        }
        current = enabled ? statusAfterEnabling : Status::notRegistered;
        return true;
    }

    Status current = Status::notRegistered;
    Status statusAfterEnabling = Status::enabled;
    QString refusal;  // the system's message when it refuses; empty to accept
    int calls = 0;
};

}  // namespace quillet::test
