#include "app/TrayMenu.h"

#include "app/Localized.h"

namespace quillet {

QIcon TrayMenu::clipboardIcon() {
    QIcon icon = QIcon::fromTheme(QStringLiteral("edit-paste"));
    if (icon.isNull()) icon = QIcon(QStringLiteral(":/quillet/clipboard.svg"));
    return icon;
}

TrayMenu::TrayMenu(Actions actions, QObject* parent)
    : QObject(parent), m_actions(std::move(actions)) {
    // The entries call their services directly (no queued hop), as a click should.
    if (m_actions.showQuickMenu) {
        m_menu.addAction(localized("SHOW_QUICK_MENU", "クリップ履歴を表示"), this,
                         [this] { m_actions.showQuickMenu(); });
    }
    if (m_actions.showPhraseMenu) {
        m_menu.addAction(localized("SHOW_PHRASE_MENU", "定型文を表示"), this,
                         [this] { m_actions.showPhraseMenu(); });
    }
    if (!m_menu.isEmpty()) m_menu.addSeparator();
    m_menu.addAction(localized("QUIT_APP", "終了"), this, [this] {
        if (m_actions.quit) m_actions.quit();
    });

    m_icon.setIcon(clipboardIcon());
    m_icon.setToolTip(localized("APP_TITLE", "Quillet"));
    m_icon.setContextMenu(&m_menu);
    // A left click opens the same menu as a right click.
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) m_menu.popup(QCursor::pos());
    });
    m_icon.show();
}

}  // namespace quillet
