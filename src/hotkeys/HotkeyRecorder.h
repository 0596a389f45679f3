#pragma once

#include <QWidget>
#include <QtGlobal>

namespace quillet {

// Captures one key press for a new global hot key. It draws nothing; the hot-key row puts it
// behind its "recording" label, and it takes the keyboard focus as soon as it is shown.
//
// The first key press that is not a bare modifier or lock key is reported through
// `recorded` as a stored key code with its modifier flags (see base/KeyTable.h).
// Escape, with any modifiers, and the focus moving to another widget end the recording
// through `cancelled`. Keys are neither interpreted nor validated here.
class HotkeyRecorder : public QWidget {
    Q_OBJECT

public:
    explicit HotkeyRecorder(QWidget* parent = nullptr);

signals:
    void recorded(quint32 keyCode, quint64 eventFlags);
    void cancelled();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

}  // namespace quillet
