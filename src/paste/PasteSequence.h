#pragma once

#include <QObject>
#include <QPointer>

#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"

namespace quillet {

// The end every chooser shares once it has written its text and its menu or panel is gone:
// wait until the clipboard holds the text, bring the previous application back, then paste
// into it. A text that never reached the clipboard is not pasted (the user is told instead).
// `owner` is held weakly; if it is gone when a wait ends, nothing is posted. `caretLeft` Left
// presses follow the paste (see PasteActionService::performPaste).
inline void finishPaste(AppFocusService& focus, PasteActionService& paste, QObject* owner,
                        int caretLeft = 0) {
    QPointer<QObject> weakOwner(owner);
    // The chord depends on the window we paste into (terminals take Shift+Insert).
    const std::optional<QString> targetClass =
        focus.previousApp() ? focus.previousApp()->bundleIdentifier : std::nullopt;
    paste.whenOnClipboard([weakOwner, &focus, &paste, targetClass, caretLeft] {
        if (!weakOwner) return;
        focus.restorePreviousApp([weakOwner, &paste, targetClass, caretLeft] {
            if (weakOwner) paste.performPasteWhenKeysReleased(targetClass, caretLeft);
        });
    });
}

}  // namespace quillet
