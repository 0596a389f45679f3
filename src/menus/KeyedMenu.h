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

// Menu text shows '&' literally and keeps tabs out of the shortcut column.
QString menuText(const QString& title);

}  // namespace quillet
