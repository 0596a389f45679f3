#pragma once

#include "support/SwaySession.h"

namespace quillet::test {

// The headless compositor shared by every Wayland end-to-end test of the run.
extern const SwaySession* e2eCompositor;

}  // namespace quillet::test
