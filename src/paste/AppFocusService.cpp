#include "paste/AppFocusService.h"

#include "base/Clock.h"

namespace quillet {

AppFocusService::AppFocusService(Workspace& workspace, Clock& clock)
    : m_workspace(workspace), m_clock(clock) {}

void AppFocusService::captureFrontmostApp() {
    std::optional<RunningApplication> frontmost = m_workspace.frontmostApplication();
    if (!frontmost) return;
    // Two absent identifiers count as equal: then it is taken to be ourselves.
    if (frontmost->bundleIdentifier == m_workspace.ownBundleIdentifier()) return;
    m_previousApp = std::move(frontmost);
}

void AppFocusService::restorePreviousApp(std::function<void()> continuation) {
    if (!m_previousApp) {
        if (continuation) continuation();
        return;
    }
    m_workspace.activate(*m_previousApp);
    m_clock.after(activationDelayMs, std::move(continuation));
}

}  // namespace quillet
