#pragma once

#include "fakes/FakePasteboard.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "store/StoreFixture.h"

namespace quillet::test {

// The history's view model over a fresh store, fed by a faked clipboard and clock.
class HistoryFixture : public StoreFixture {
protected:
    FakePasteboard pasteboard;
    ManualClock clock;
    ClipboardMonitor monitor{pasteboard};
    HistoryViewModel model{*storage, monitor, clock};
};

}  // namespace quillet::test
