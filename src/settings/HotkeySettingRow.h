#pragma once

#include <QWidget>
#include <functional>

#include "hotkeys/HotkeyConfig.h"

class QLabel;
class QPushButton;

namespace quillet {

class HotkeyRecorder;

// One hot key in the settings window: its label, the keys it is set to and a button that
// starts recording. While recording, a prompt replaces both and the recorder behind it takes
// the keyboard; the recorded key goes to `onUpdate`, whose owner decides whether it is kept.
// A notice under the row says when the key does not work and what to do instead. The row
// keeps its size whichever it shows, so nothing around it moves.
class HotkeySettingRow : public QWidget {
    Q_OBJECT
public:
    using OnUpdate = std::function<void(quint32 keyCode, quint32 modifierFlags)>;

    HotkeySettingRow(const QString& label, HotkeyConfig config, OnUpdate onUpdate,
                     QWidget* parent = nullptr);

    void setConfig(HotkeyConfig config);
    bool isRecording() const { return m_isRecording; }
    void setRecording(bool recording);
    // A chord that reached the program some other way while recording (one of its own global
    // keys, which the recorder never sees): recorded as if typed here.
    void recordChord(HotkeyConfig chord);
    // Shown under the row while not empty.
    void setNotice(const QString& notice);

signals:
    void recordingChanged(bool recording);
    // The user ended the recording without a key (Escape, or went to another control).
    void cancelled();

private:
    void recorded(quint32 keyCode, quint64 eventFlags);
    void refresh();

    HotkeyConfig m_config;
    OnUpdate m_onUpdate;
    bool m_isRecording = false;
    QLabel* m_keyBox;
    QPushButton* m_changeButton;
    QLabel* m_notice;
    HotkeyRecorder* m_recorder;  // a child of the key box, behind its text
};

}  // namespace quillet
