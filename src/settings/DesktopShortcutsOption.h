#pragma once

#include <QObject>
#include <QString>

#include "hotkeys/HotkeyConfig.h"

namespace quillet {

class DesktopShortcuts;

// "Add to GNOME's keyboard shortcuts": where the program's own hot keys do not work, the
// desktop can run `quillet --history-menu` and `quillet --phrase-menu` on the same keys.
// Whether they are there is the desktop's to say; the option only asks and writes.
class DesktopShortcutsOption : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isOffered READ isOffered NOTIFY isOfferedChanged)
    Q_PROPERTY(bool isOn READ isOn NOTIFY isOnChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)

public:
    static constexpr const char* historyId = "history-menu";
    static constexpr const char* phraseId = "phrase-menu";

    // `shortcuts` (null where the desktop has none) must outlive the option.
    explicit DesktopShortcutsOption(DesktopShortcuts* shortcuts, QObject* parent = nullptr);

    // Shown while the desktop keeps such shortcuts and either ours are there or the
    // program's own keys do not work.
    bool isOffered() const;
    bool isOn() const { return m_isOn; }
    // Why the last change failed; empty when it did not.
    QString error() const { return m_error; }

    void setOn(bool on, const HotkeyConfig& history, const HotkeyConfig& phrase);
    // The user recorded new keys: ours follow them.
    void keysChanged(const HotkeyConfig& history, const HotkeyConfig& phrase);
    // Whether the system refused the program's own keys or offers none.
    void setHotkeysMissing(bool missing);
    // Picks up changes made in the desktop's own settings.
    void refresh();

signals:
    void isOfferedChanged();
    void isOnChanged();
    void errorChanged();

private:
    bool write(const HotkeyConfig& history, const HotkeyConfig& phrase);
    void setIsOn(bool on);
    void setError(const QString& error);

    DesktopShortcuts* m_shortcuts;
    bool m_isOn = false;
    bool m_hotkeysMissing = false;
    QString m_error;
};

}  // namespace quillet
