#include "platform/null/NullPlatform.h"

namespace quillet {

std::optional<RunningApplication> NullWorkspace::frontmostApplication() {
    return std::nullopt;
}

std::optional<QString> NullWorkspace::ownBundleIdentifier() const {
    return QStringLiteral("quillet");
}

void NullWorkspace::activate(const RunningApplication&) {}

bool NullKeyboardEvents::isTrusted() {
    return false;
}

void NullKeyboardEvents::postKey(quint16, bool, quint64) {}

bool NullKeyboardEvents::anyKeyHeld() {
    return false;
}

bool NullSystemHotkeys::isAvailable() const {
    return false;
}

void NullSystemHotkeys::installHandler(Handler) {}

void NullSystemHotkeys::removeHandler() {}

SystemHotkeys::Registration NullSystemHotkeys::registerHotkey(quint32, quint32, quint32, quint32) {
    return {HotkeyStatus::registrationFailed, std::nullopt};
}

void NullSystemHotkeys::unregisterHotkey(Ref) {}

}  // namespace quillet
