#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/Workspace.h"

namespace quillet::test {

// A window manager in memory: the test says which application is in front and reads back
// every activation request.
class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() override {
        ++frontmostQueries;
        return frontmost;
    }
    std::optional<QString> ownBundleIdentifier() const override { return ownIdentifier; }
    void activate(const RunningApplication& app) override {
        activations.push_back(app);
        if (onActivate) onActivate(app);
    }

    std::optional<RunningApplication> frontmost;
    std::optional<QString> ownIdentifier = QStringLiteral("quillet");
    std::vector<RunningApplication> activations;
    int frontmostQueries = 0;
    // Runs inside each activation request, so a test can look at the world at that moment.
    std::function<void(const RunningApplication&)> onActivate;
};

}  // namespace quillet::test
