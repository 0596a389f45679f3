#pragma once

#include <QHash>
#include <QMenu>

namespace quillet {

// A pop-up menu whose entries are chosen by a plain key press (1-9, 0, F) while it is open.
// Shortcuts do not fire inside an open QMenu, so the menu handles those keys itself; the key
// is shown in the entry's shortcut column.
class KeyedMenu : public QMenu {
    Q_OBJECT
public:
    using QMenu::QMenu;

    // Adds `action` with `key` as its key; `label` is what the shortcut column shows.
    void addKeyedAction(QAction* action, Qt::Key key, const QString& label);
    QAction* actionForKey(Qt::Key key) const { return m_keyed.value(key); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QHash<int, QAction*> m_keyed;
};

// Opens a menu of ours where the user looks: at the pointer on X11. A Wayland client neither
// knows the pointer's place outside its own windows nor may place a window, and a pop-up needs
// a parent window we do not have; there the menu opens as a window of a fixed size, which
// tiling compositors (sway) float and centre on the active output, and it takes the keyboard
// as a new window does. Closing it gives the focus back to the window before.
void popupForUser(QMenu* menu);

// Menu text shows '&' literally and keeps tabs out of the shortcut column.
QString menuText(const QString& title);

}  // namespace quillet
