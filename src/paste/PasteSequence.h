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
    // The chord depends on the window we paste into (terminals take Shift+Insert).
    const std::optional<QString> targetClass =
        focus.previousApp() ? focus.previousApp()->bundleIdentifier : std::nullopt;
    focus.restorePreviousApp([weakOwner, &paste, targetClass] {
        if (weakOwner) paste.performPasteWhenKeysReleased(targetClass);
    });
}

}  // namespace quillet
