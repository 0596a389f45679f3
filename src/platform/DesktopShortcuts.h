#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

namespace quillet {

// Keys the desktop itself binds to a command it runs (GNOME's custom keyboard shortcuts).
// Where the desktop grants programs no global hot keys, the user may have it run
// `quillet --history-menu` on the same key instead. The state lives in the desktop's own
// settings: every query asks it again.
class DesktopShortcuts {
public:
    struct Shortcut {
        QString id;             // ours, kept across versions: the desktop stores the key under it
        QString name;           // as the desktop's keyboard settings list it
        QString request;        // the program's option the key runs, "history-menu"
        quint32 keyCode = 0;    // a stored key code (see base/KeyTable.h)
        quint32 modifiers = 0;  // HotkeyModifier bits
    };

    DesktopShortcuts() = default;
    virtual ~DesktopShortcuts() = default;
    DesktopShortcuts(const DesktopShortcuts&) = delete;
    DesktopShortcuts& operator=(const DesktopShortcuts&) = delete;

    // False where the desktop keeps no such shortcuts (another desktop, a missing schema).
    virtual bool isAvailable() const = 0;
    // Whether the desktop holds a shortcut under every one of `ids`.
    virtual bool contains(const QStringList& ids) const = 0;
    // Adds ours, or changes them in place; the user's other shortcuts stay as they are. On
    // failure returns false with the reason in `error`.
    virtual bool write(const std::vector<Shortcut>& shortcuts, QString* error) = 0;
    // Removes the shortcuts under `ids` and nothing else.
    virtual bool remove(const QStringList& ids, QString* error) = 0;
};

}  // namespace quillet
