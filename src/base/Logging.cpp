#include "base/Logging.h"

namespace quillet {
// Debug output is off unless QT_LOGGING_RULES turns it on.
Q_LOGGING_CATEGORY(lcApp, "quillet.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStore, "quillet.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcClipboard, "quillet.clipboard", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkeys, "quillet.hotkeys", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPaste, "quillet.paste", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPhrases, "quillet.phrases", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, "quillet.update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSync, "quillet.sync", QtInfoMsg)
}  // namespace quillet
