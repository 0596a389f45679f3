#pragma once

#include <QLoggingCategory>

// One category per subsystem. Failures the program survives are warnings on standard error;
// QT_LOGGING_RULES tunes them (for instance "quillet.*.debug=true").
namespace quillet {
Q_DECLARE_LOGGING_CATEGORY(lcApp)        // quillet.app: start-up, the command socket
Q_DECLARE_LOGGING_CATEGORY(lcStore)      // quillet.store
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)  // quillet.clipboard
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)    // quillet.hotkeys
Q_DECLARE_LOGGING_CATEGORY(lcPaste)      // quillet.paste
Q_DECLARE_LOGGING_CATEGORY(lcPhrases)    // quillet.phrases
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)     // quillet.update
Q_DECLARE_LOGGING_CATEGORY(lcSync)       // quillet.sync
}  // namespace quillet
