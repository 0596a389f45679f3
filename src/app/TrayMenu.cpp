#include "app/TrayMenu.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "app/AppIcon.h"
#include "platform/Logging.h"

namespace quillet {

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
    }
    if (m_actions.showSettings) {
        //% "設定..."
        m_menu.addAction(qtTrId("SHOW_SETTINGS_PANEL"), this, [this] { m_actions.showSettings(); });
    }
    if (m_actions.showManagementWindow || m_actions.showSettings) m_menu.addSeparator();
    //% "終了"
    m_menu.addAction(qtTrId("QUIT_APP"), this, [this] {
        if (m_actions.quit) m_actions.quit();
    });

    m_icon.setIcon(AppIcon::icon());
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

void TrayMenu::notify(const QString& title, const QString& message) {
    m_icon.showMessage(title, message, QSystemTrayIcon::Warning, 15000);
}

void TrayMenu::inform(const QString& message) {
    qCInfo(lcApp).noquote() << message;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_icon.showMessage(qtTrId("APP_TITLE"), message, QSystemTrayIcon::Information,
                           informTimeoutMs);
        return;
    }
    // Without a tray (sway without a bar, for one) the desktop's notification service still
    // shows it. Sent without waiting for an answer: a missing service costs nothing.
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << qtTrId("APP_TITLE") << quint32(0) << QStringLiteral("quillet") << qtTrId("APP_TITLE")
           << message << QStringList() << QVariantMap{{QStringLiteral("transient"), true}}
           << qint32(informTimeoutMs);
    if (!QDBusConnection::sessionBus().send(notify))
        qCWarning(lcApp) << "no notification service to tell the user:" << message;
}

}  // namespace quillet
