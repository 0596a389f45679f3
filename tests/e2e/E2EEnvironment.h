#pragma once

#include "support/XvfbSession.h"

namespace quillet::test {

// The X server (with openbox) shared by every end-to-end test of the run.
extern const XvfbSession* e2eDisplay;

}  // namespace quillet::test
