#pragma once

#include <QHash>
#include <QString>
#include <optional>

class QSettings;

namespace quillet {

// The keys that paste in a window. Terminals do not paste on Ctrl+V (they pass it on as a
// control character); Shift+Insert pastes in all of them, from PRIMARY in some (xterm,
// urxvt, Alacritty, kitty) and from CLIPBOARD in others.
enum class PasteChord { controlV, shiftInsert };

// Which chord each window class gets: a built-in list of terminals, which the settings may
// extend or override (group "pasteChords", class = "ctrl+v" or "shift+insert").
class PasteChords {
public:
    PasteChords();

    // Reads the overrides; a value that names no chord is ignored with a warning.
    static PasteChords fromSettings(QSettings& settings);
    static std::optional<PasteChord> parse(const QString& text);

    void set(const QString& windowClass, PasteChord chord);
    // Classes compare without regard to case; an unknown or missing class gets Ctrl+V.
    PasteChord chordFor(const std::optional<QString>& windowClass) const;

private:
    QHash<QString, PasteChord> m_byClass;  // keys in lower case
};

}  // namespace quillet
