#include "hotkeys/HotkeyRecorder.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <optional>

#include "base/KeyCodes.h"

namespace quillet {

namespace {

constexpr quint32 escapeKeyCode = 53;

// Right command (54) through function (63): held while the real key is pressed.
bool isModifierMacKey(quint32 macKeyCode) {
    return macKeyCode >= 54 && macKeyCode <= 63;
}

bool isModifierQtKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_Mode_switch:
            return true;
        default:
            return false;
    }
}

}  // namespace

HotkeyRecorder::HotkeyRecorder(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void HotkeyRecorder::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setFocus(Qt::OtherFocusReason);
}

bool HotkeyRecorder::focusNextPrevChild(bool) {
    // Tab is a key to record, not a way to leave the recorder.
    return false;
}

void HotkeyRecorder::keyPressEvent(QKeyEvent* event) {
    // Swallow everything: no key reaches the window's other controls while recording.
    event->accept();
    // A repeat is no new press (e.g. a key already held when recording started).
    if (event->isAutoRepeat()) return;

    const int qtKey = event->key();
    if (isModifierQtKey(qtKey)) return;

    const std::optional<quint32> macKeyCode =
        event->nativeScanCode() != 0 ? KeyCodes::macKeyCodeFromX11(event->nativeScanCode())
                                     : KeyCodes::macKeyCodeFromQtKey(qtKey, event->modifiers());
    // Escape can never become a hot key, whatever modifiers are held.
    if (qtKey == Qt::Key_Escape || macKeyCode == escapeKeyCode) {
        emit cancelled();
        return;
    }
    // A key without a code cannot be a hot key; a bare modifier is held for the real key.
    if (!macKeyCode || isModifierMacKey(*macKeyCode)) return;
    emit recorded(*macKeyCode, KeyCodes::eventFlagsFromQt(event->modifiers()));
}

void HotkeyRecorder::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Only the focus moving elsewhere ends the recording; switching to another window or
    // opening a pop-up keeps this widget as the window's focus widget.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        return;
    }
    emit cancelled();
}

}  // namespace quillet
