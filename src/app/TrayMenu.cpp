#include "app/TrayMenu.h"

#include <QPainter>
#include <QPixmap>

namespace quillet {

QIcon TrayMenu::clipboardIcon() {
    QIcon themed = QIcon::fromTheme(QStringLiteral("edit-paste"));
    if (!themed.isNull() && !themed.availableSizes().isEmpty()) return themed;
    // Drawn here rather than loaded, so it shows without an icon theme or image plugins.
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x3b, 0x3f, 0x45);
    painter.setPen(QPen(ink, 4));
    painter.setBrush(QColor(0xf4, 0xf1, 0xe8));
    painter.drawRoundedRect(QRectF(12, 10, 40, 48), 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(22, 5, 20, 11), 3, 3);
    painter.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap));
    for (const auto& [y, right] : {std::pair{28, 44}, {38, 44}, {48, 36}})
        painter.drawLine(20, y, right, y);
    return QIcon(pixmap);
}

TrayMenu::TrayMenu(Actions actions, QObject* parent)
    : QObject(parent), m_actions(std::move(actions)) {
    // The entries call their services directly (no queued hop), as a click should.
    if (m_actions.showQuickMenu) {
        //% "クリップ履歴を表示"
        m_menu.addAction(qtTrId("SHOW_QUICK_MENU"), this, [this] { m_actions.showQuickMenu(); });
    }
    if (m_actions.showPhraseMenu) {
        //% "定型文を表示"
        m_menu.addAction(qtTrId("SHOW_PHRASE_MENU"), this, [this] { m_actions.showPhraseMenu(); });
    }
    if (!m_menu.isEmpty()) m_menu.addSeparator();
    if (m_actions.showManagementWindow) {
        // The key says history, the entry opens the phrase library: the catalogues keep it.
        //% "定型文の管理..."
        m_menu.addAction(qtTrId("SHOW_HISTORY_PANEL"), this,
                         [this] { m_actions.showManagementWindow(); });
        m_menu.addSeparator();
    }
    //% "終了"
    m_menu.addAction(qtTrId("QUIT_APP"), this, [this] {
        if (m_actions.quit) m_actions.quit();
    });

    m_icon.setIcon(clipboardIcon());
    //% "Quillet"
    m_icon.setToolTip(qtTrId("APP_TITLE"));
    m_icon.setContextMenu(&m_menu);
    // A left click opens the same menu as a right click.
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Trigger) m_menu.popup(QCursor::pos());
            });
    m_icon.show();
}

}  // namespace quillet
