#pragma once

#include <QString>

namespace quillet {

// The operating system's record that starts this program when the user logs in. The state
// lives in the system alone: every query asks it again.
class LoginItem {
public:
    // Only `enabled` counts as on.
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    LoginItem() = default;
    virtual ~LoginItem() = default;
    LoginItem(const LoginItem&) = delete;
    LoginItem& operator=(const LoginItem&) = delete;

    virtual Status status() const = 0;
    // Registers (true) or unregisters (false) the item. On refusal returns false and puts the
    // system's own description of the failure in `error`, with the file it concerns if any.
    virtual bool setEnabled(bool enabled, QString* error) = 0;
};

}  // namespace quillet
