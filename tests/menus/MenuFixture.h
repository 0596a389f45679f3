#pragma once

#include <QTextStream>
#include <memory>

#include "fakes/FakeFileChooser.h"
#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakeWorkspace.h"
#include "history/HistoryFixture.h"
#include "settings/TestSettings.h"
#include "menus/PanelCoordinator.h"
#include "menus/PhrasePaster.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"

namespace quillet::test {

// The menus' collaborators over a fresh store, every system service faked, with an editor
// in front to paste into.
class MenuFixture : public HistoryFixture {
protected:
    MenuFixture() { workspace.frontmost = editor; }

    const RunningApplication editor{42, 4242, QStringLiteral("editor")};
    FakeWorkspace workspace;
    FakeKeyboardEvents keyboard;
    FakeFileChooser chooser;
    TestSettings settings;
    QString logText;
    QTextStream log{&logText};
    AppFocusService focus{workspace, clock};
    PasteActionService paste{keyboard, pasteboard, clock, log};
    std::unique_ptr<PanelCoordinator> coordinator = std::make_unique<PanelCoordinator>(
        model, settings.model, focus, paste, clock, storage->context(), chooser);
    PhrasePaster paster{*storage, paste, focus, monitor, clock};
};

}  // namespace quillet::test
