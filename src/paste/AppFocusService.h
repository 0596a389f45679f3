#pragma once

#include <functional>
#include <optional>

#include "platform/Workspace.h"

namespace quillet {

class Clock;

// Remembers the application the user was working in before a menu or panel of ours came up,
// and brings it back afterwards.
class AppFocusService {
public:
    AppFocusService(Workspace& workspace, Clock& clock);

    // Remembers the frontmost application unless it is this program. Never clears.
    void captureFrontmostApp();
    // Re-activates the remembered application and runs `continuation` 0.15 s later; with none
    // remembered, runs it at once.
    void restorePreviousApp(std::function<void()> continuation);

    const std::optional<RunningApplication>& previousApp() const { return m_previousApp; }

    static constexpr int activationDelayMs = 150;

private:
    Workspace& m_workspace;
    Clock& m_clock;
    std::optional<RunningApplication> m_previousApp;
};

}  // namespace quillet
