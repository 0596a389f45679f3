#pragma once

#include "support/ChildProcess.h"
#include "support/SwaySession.h"

namespace quillet::test {

// The headless compositor shared by every Wayland end-to-end test of the run.
extern const SwaySession* e2eCompositor;

// Options that run a foreign client (wl-copy, wtype, a target window) on that compositor.
inline ChildProcess::Options clientOptions() {
    ChildProcess::Options options;
    options.environment = e2eCompositor->environment();
    return options;
}

}  // namespace quillet::test
