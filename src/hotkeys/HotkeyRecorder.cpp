#include "hotkeys/HotkeyRecorder.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <optional>

#include "base/KeyTable.h"

namespace quillet {

namespace {

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

    const PhysicalKey* key = event->nativeScanCode() != 0
                                 ? KeyTable::byX11Keycode(event->nativeScanCode())
                                 : KeyTable::byQtKey(qtKey, event->modifiers());
    // Escape can never become a hot key, whatever modifiers are held.
    if (qtKey == Qt::Key_Escape || (key && key->code == KeyCode::escape)) {
        emit cancelled();
        return;
    }
    // A key without a code cannot be a hot key; a bare modifier is held for the real key.
    if (!key || key->group == KeyGroup::modifier) return;
    emit recorded(key->code, KeyTable::eventFlagsFromQt(event->modifiers()));
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
