#pragma once

#include <QTextStream>
#include <memory>

#include "fakes/FakeFileChooser.h"
#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualClock.h"
#include "fakes/TestSettings.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "menus/PanelCoordinator.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "store/StoreFixture.h"

namespace quillet::test {

// The menus' collaborators over a fresh store, every system service faked, with an editor
// in front to paste into.
class MenuFixture : public StoreFixture {
protected:
    MenuFixture() { workspace.frontmost = editor; }

    const RunningApplication editor{42, 4242, QStringLiteral("editor")};
    FakePasteboard pasteboard;
    ManualClock clock;
    FakeWorkspace workspace;
    FakeKeyboardEvents keyboard;
    FakeFileChooser chooser;
    TestSettings settings;
    QString logText;
    QTextStream log{&logText};
    ClipboardMonitor monitor{pasteboard};
    HistoryViewModel model{*storage, monitor, clock};
    AppFocusService focus{workspace, clock};
    PasteActionService paste{keyboard, clock, log};
    std::unique_ptr<PanelCoordinator> coordinator = std::make_unique<PanelCoordinator>(
        model, settings.model, focus, paste, clock, storage->context(), chooser);
};

}  // namespace quillet::test
