#include "paste/PasteChords.h"

#include <QSettings>

#include "base/Logging.h"

namespace quillet {

PasteChords::PasteChords(PasteChord terminalChord) {
    // WM_CLASS class names and Wayland app ids of the common terminals.
    for (const char* terminal : {"xterm",
                                 "uxterm",
                                 "urxvt",
                                 "rxvt",
                                 "alacritty",
                                 "kitty",
                                 "gnome-terminal",
                                 "gnome-terminal-server",
                                 "org.gnome.console",
                                 "kgx",
                                 "konsole",
                                 "tilix",
                                 "xfce4-terminal",
                                 "mate-terminal",
                                 "lxterminal",
                                 "qterminal",
                                 "terminator",
                                 "terminology",
                                 "st",
                                 "st-256color",
                                 "foot",
                                 "footclient",
                                 "wezterm",
                                 "org.wezfurlong.wezterm",
                                 "sakura",
                                 "guake",
                                 "tilda",
                                 "yakuake",
                                 "cool-retro-term",
                                 "ghostty",
                                 "com.mitchellh.ghostty",
                                 "contour",
                                 "rio",
                                 "blackbox",
                                 "com.raggesilver.blackbox",
                                 "ptyxis",
                                 "org.gnome.ptyxis",
                                 "deepin-terminal",
                                 "eterm"})
        m_byClass.insert(QString::fromLatin1(terminal), terminalChord);
}

PasteChords PasteChords::fromSettings(QSettings& settings, PasteChord terminalChord) {
    PasteChords chords(terminalChord);
    settings.beginGroup(QStringLiteral("pasteChords"));
    for (const QString& windowClass : settings.childKeys()) {
        const QString value = settings.value(windowClass).toString();
        if (const auto chord = parse(value)) {
            chords.set(windowClass, *chord);
        } else {
            qCWarning(lcPaste)
                << "pasteChords:" << windowClass << "=" << value
                << "names no chord (use ctrl+v, shift+insert or ctrl+shift+v); ignored";
        }
    }
    settings.endGroup();
    return chords;
}

std::optional<PasteChord> PasteChords::parse(const QString& text) {
    const QString chord = text.simplified().remove(u' ').toLower();
    if (chord == QLatin1String("ctrl+v")) return PasteChord::controlV;
    if (chord == QLatin1String("shift+insert")) return PasteChord::shiftInsert;
    if (chord == QLatin1String("ctrl+shift+v") || chord == QLatin1String("shift+ctrl+v"))
        return PasteChord::controlShiftV;
    return std::nullopt;
}

void PasteChords::set(const QString& windowClass, PasteChord chord) {
    m_byClass.insert(windowClass.toLower(), chord);
}

PasteChord PasteChords::chordFor(const std::optional<QString>& windowClass) const {
    if (!windowClass) return PasteChord::controlV;
    return m_byClass.value(windowClass->toLower(), PasteChord::controlV);
}

}  // namespace quillet
