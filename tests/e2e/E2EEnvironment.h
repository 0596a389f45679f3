#pragma once

#include "support/XvfbSession.h"

namespace quillet::test {

// The X server (with openbox) shared by every end-to-end test of the run.
extern const XvfbSession* e2eDisplay;
// The second machine's X server, in the sync tests.
extern const XvfbSession* e2eSecondDisplay;

}  // namespace quillet::test
