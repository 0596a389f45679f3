#include "menus/KeyedMenu.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>

namespace quillet {

QString menuText(const QString& title) {
    QString text = title;
    text.replace(u'&', QStringLiteral("&&"));
    text.replace(u'\t', u' ');
    return text;
}

void KeyedMenu::addKeyedAction(QAction* action, Qt::Key key, const QString& label) {
    action->setText(action->text() + u'\t' + label);
    addAction(action);
    m_keyed.insert(key, action);
}

void popupForUser(QMenu* menu) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        menu->popup(QCursor::pos());
        return;
    }
    // Its entries are all in place now (submenus fill later, as pop-ups of this window).
    menu->setFixedSize(menu->sizeHint());
    menu->popup(QPoint(0, 0));
}

void KeyedMenu::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~(Qt::KeypadModifier);
    QAction* action = mods == Qt::NoModifier ? m_keyed.value(event->key()) : nullptr;
    if (action == nullptr || !action->isEnabled()) {
        QMenu::keyPressEvent(event);
        return;
    }
    event->accept();
    // The menu closes before the entry's action runs, as with a click.
    hide();
    action->trigger();
}

}  // namespace quillet
