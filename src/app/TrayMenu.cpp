#include "app/TrayMenu.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "app/AppIcon.h"
#include "base/Logging.h"

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
    if (m_actions.pauseRecording && m_actions.resumeRecording) {
        addPauseEntries();
        m_menu.addSeparator();
    }
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

void TrayMenu::addPauseEntries() {
    //% "記録を一時停止"
    m_pauseMenu = m_menu.addMenu(qtTrId("PAUSE_RECORDING"));
    m_pauseMenu->setObjectName(QStringLiteral("pauseRecordingMenu"));
    //% "15 分間"
    m_pauseMenu->addAction(qtTrId("PAUSE_15_MINUTES"), this,
                           [this] { m_actions.pauseRecording(15); });
    //% "1 時間"
    m_pauseMenu->addAction(qtTrId("PAUSE_1_HOUR"), this, [this] { m_actions.pauseRecording(60); });
    //% "再開するまで"
    m_pauseMenu->addAction(qtTrId("PAUSE_UNTIL_RESUMED"), this,
                           [this] { m_actions.pauseRecording(std::nullopt); });
    m_pausedNote = m_menu.addAction(QString());
    m_pausedNote->setEnabled(false);
    //% "記録を再開"
    m_resumeAction =
        m_menu.addAction(qtTrId("RESUME_RECORDING"), this, [this] { m_actions.resumeRecording(); });
    m_resumeAction->setObjectName(QStringLiteral("resumeRecording"));
    showRecordingPaused(false);
}

void TrayMenu::showRecordingPaused(bool paused, const QString& until) {
    m_paused = paused;
    QString note;
    if (paused && !until.isEmpty())
        //% "%1 まで記録を一時停止中"
        note = qtTrId("RECORDING_PAUSED_UNTIL").arg(until);
    else if (paused)
        //% "記録を一時停止中"
        note = qtTrId("RECORDING_PAUSED");
    if (m_pauseMenu != nullptr) {
        m_pauseMenu->menuAction()->setVisible(!paused);
        m_pausedNote->setText(note);
        m_pausedNote->setVisible(paused);
        m_resumeAction->setVisible(paused);
    }
    m_icon.setIcon(paused ? AppIcon::pausedIcon() : AppIcon::icon());
    m_icon.setToolTip(paused ? qtTrId("APP_TITLE") + QStringLiteral(" — ") + note
                             : qtTrId("APP_TITLE"));
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
