#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

namespace quillet {

// The program's permanent presence: a clipboard icon in the system tray and its menu.
class TrayMenu : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> showQuickMenu;
        std::function<void()> showPhraseMenu;
        std::function<void()> showManagementWindow;
        std::function<void()> showSettings;
        std::function<void()> quit;
    };

    explicit TrayMenu(Actions actions, QObject* parent = nullptr);

    // A notice from the tray icon, for failures the user must know of.
    void notify(const QString& title, const QString& message);
    // A short passive notice the user need not act on; through the desktop's notification
    // service when there is no tray.
    void inform(const QString& message);
    static constexpr int informTimeoutMs = 4000;

    QMenu& menu() { return m_menu; }
    QSystemTrayIcon& icon() { return m_icon; }

private:
    Actions m_actions;
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};

}  // namespace quillet
