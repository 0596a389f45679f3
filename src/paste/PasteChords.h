#pragma once

#include <QHash>
#include <QString>
#include <optional>

class QSettings;

namespace quillet {

// The keys that paste in a window. Terminals do not paste on Ctrl+V (they pass it on as a
// control character). On X11, Shift+Insert pastes in all of them, from PRIMARY in some
// (xterm, urxvt, Alacritty, kitty) and from CLIPBOARD in others, so we fill both. On Wayland
// PRIMARY is not ours to fill and Shift+Insert pastes it in foot, kitty and Alacritty, while
// Ctrl+Shift+V pastes the clipboard in every common Wayland terminal.
enum class PasteChord { controlV, shiftInsert, controlShiftV };

// Which chord each window class (X11) or app id (Wayland) gets: the terminals in a built-in
// list get the session's terminal chord; the settings may extend or override the list
// (group "pasteChords", class = "ctrl+v", "shift+insert" or "ctrl+shift+v").
class PasteChords {
public:
    explicit PasteChords(PasteChord terminalChord = PasteChord::shiftInsert);

    // Reads the overrides; a value that names no chord is ignored with a warning.
    static PasteChords fromSettings(QSettings& settings,
                                    PasteChord terminalChord = PasteChord::shiftInsert);
    static std::optional<PasteChord> parse(const QString& text);

    void set(const QString& windowClass, PasteChord chord);
    // Classes compare without regard to case; an unknown or missing class gets Ctrl+V.
    PasteChord chordFor(const std::optional<QString>& windowClass) const;

private:
    QHash<QString, PasteChord> m_byClass;  // keys in lower case
};

}  // namespace quillet
