#pragma once

#include <QString>

#include "support/MutterSession.h"

namespace quillet::test {

// The headless GNOME compositor shared by every GNOME end-to-end test of the run; null when
// it could not start here, with the reason in `gnomeUnavailable`.
extern MutterSession* gnomeDesktop;
extern QString gnomeUnavailable;

}  // namespace quillet::test
