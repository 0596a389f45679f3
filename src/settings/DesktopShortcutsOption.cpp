#include "settings/DesktopShortcutsOption.h"

#include "platform/DesktopShortcuts.h"

namespace quillet {

namespace {

QStringList ours() {
    return {QLatin1String(DesktopShortcutsOption::historyId),
            QLatin1String(DesktopShortcutsOption::phraseId)};
}

}  // namespace

DesktopShortcutsOption::DesktopShortcutsOption(DesktopShortcuts* shortcuts, QObject* parent)
    : QObject(parent), m_shortcuts(shortcuts) {
    refresh();
}

bool DesktopShortcutsOption::isOffered() const {
    return m_shortcuts && m_shortcuts->isAvailable() && (m_isOn || m_hotkeysMissing);
}

void DesktopShortcutsOption::setOn(bool on, const HotkeyConfig& history,
                                   const HotkeyConfig& phrase) {
    if (!m_shortcuts) return;
    if (on) {
        if (write(history, phrase)) setIsOn(true);
        return;
    }
    QString why;
    if (m_shortcuts->remove(ours(), &why)) {
        setError(QString());
    } else {
        //% "Quillet's keys could not be removed from GNOME's keyboard shortcuts: %1"
        setError(qtTrId("DESKTOP_SHORTCUTS_REMOVE_FAILED").arg(why));
    }
    setIsOn(m_shortcuts->contains(ours()));
}

void DesktopShortcutsOption::keysChanged(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    if (m_isOn) write(history, phrase);
}

bool DesktopShortcutsOption::write(const HotkeyConfig& history, const HotkeyConfig& phrase) {
    const std::vector<DesktopShortcuts::Shortcut> shortcuts = {
        //% "Quillet: clipboard history menu"
        {QLatin1String(historyId), qtTrId("DESKTOP_SHORTCUT_HISTORY"), QLatin1String(historyId),
         history.keyCode, history.modifierFlags},
        //% "Quillet: phrase menu"
        {QLatin1String(phraseId), qtTrId("DESKTOP_SHORTCUT_PHRASE"), QLatin1String(phraseId),
         phrase.keyCode, phrase.modifierFlags},
    };
    QString why;
    if (!m_shortcuts->write(shortcuts, &why)) {
        //% "GNOME's keyboard shortcuts could not be changed: %1"
        setError(qtTrId("DESKTOP_SHORTCUTS_WRITE_FAILED").arg(why));
        return false;
    }
    setError(QString());
    return true;
}

void DesktopShortcutsOption::setHotkeysMissing(bool missing) {
    if (m_hotkeysMissing == missing) return;
    const bool offered = isOffered();
    m_hotkeysMissing = missing;
    if (offered != isOffered()) emit isOfferedChanged();
}

void DesktopShortcutsOption::refresh() {
    setIsOn(m_shortcuts && m_shortcuts->contains(ours()));
}

void DesktopShortcutsOption::setIsOn(bool on) {
    if (m_isOn == on) return;
    const bool offered = isOffered();
    m_isOn = on;
    emit isOnChanged();
    if (offered != isOffered()) emit isOfferedChanged();
}

void DesktopShortcutsOption::setError(const QString& error) {
    if (m_error == error) return;
    m_error = error;
    emit errorChanged();
}

}  // namespace quillet
