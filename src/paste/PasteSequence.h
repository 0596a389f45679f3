#pragma once

#include <QObject>
#include <QPointer>

#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"

namespace quillet {

// The end every chooser shares once its text is on the clipboard and its menu or panel is
// gone: bring the previous application back, then paste into it. `owner` is held weakly; if
// it is gone when the delay ends, nothing is posted.
inline void finishPaste(AppFocusService& focus, PasteActionService& paste, QObject* owner) {
    QPointer<QObject> weakOwner(owner);
    focus.restorePreviousApp([weakOwner, &paste] {
        if (weakOwner) paste.performPasteWhenKeysReleased();
    });
}

}  // namespace quillet
