#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/ClipboardReader.h"
#include "platform/ClipboardWriter.h"
#include "platform/PrimarySelection.h"

namespace quillet::test {

// A reader whose answers the test gives: `change` plays a new owner noticed (or our own write
// coming back), `answer` the reply to a request in `requests`.
class FakeClipboardReader final : public ClipboardReader {
public:
    void requestRead(quint64 ticket) override { requests.push_back(ticket); }
    bool watchesOwner() const override { return watches; }

    void change(const ClipboardSnapshot& snapshot) { emit changeRead(snapshot); }
    void answer(quint64 ticket, const ClipboardSnapshot& snapshot) {
        emit snapshotRead(ticket, snapshot);
    }
    // A reader that learns only on its thread that it can follow owners.
    void beginWatching() {
        watches = true;
        emit startedWatching();
    }

    bool watches = true;
    std::vector<quint64> requests;
};

// Records what reaches the system: each write (none: a clear), refused while `refuses`.
class FakeClipboardWriter final : public ClipboardWriter {
public:
    bool write(const std::optional<QString>& text) override {
        writes.push_back(text);
        return !refuses;
    }
    const char* refusal() const override { return "the test refused it"; }

    std::vector<std::optional<QString>> writes;
    bool refuses = false;
};

// PRIMARY in memory; `takes` is what it answers, none keeps the question in `unanswered`.
class FakePrimarySelection final : public PrimarySelection {
public:
    void lend(const QString& text, std::function<void(bool)> ready) override {
        lent.push_back(text);
        if (takes)
            ready(*takes);
        else
            unanswered.push_back(std::move(ready));
    }

    QStringList lent;
    std::optional<bool> takes = true;
    std::vector<std::function<void(bool)>> unanswered;
};

}  // namespace quillet::test
