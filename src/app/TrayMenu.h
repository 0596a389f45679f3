#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <optional>

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
        // With both set, the menu offers to pause recording and to resume it.
        std::function<void(std::optional<int> minutes)> pauseRecording;  // none: until resumed
        std::function<void()> resumeRecording;
        std::function<void()> quit;
    };

    explicit TrayMenu(Actions actions, QObject* parent = nullptr);

    // Recording paused (`until` says till when, for the user; empty: until resumed) or not:
    // the menu offers the other, and the icon and its tool tip show it.
    void showRecordingPaused(bool paused, const QString& until = QString());
    bool showsRecordingPaused() const { return m_paused; }

    // A notice from the tray icon, for failures the user must know of.
    void notify(const QString& title, const QString& message);
    // A short passive notice the user need not act on; through the desktop's notification
    // service when there is no tray.
    void inform(const QString& message);
    static constexpr int informTimeoutMs = 4000;

    QMenu& menu() { return m_menu; }
    QSystemTrayIcon& icon() { return m_icon; }

private:
    void addPauseEntries();

    Actions m_actions;
    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QMenu* m_pauseMenu = nullptr;     // owned by m_menu
    QAction* m_pausedNote = nullptr;  // "paused until ...", not clickable
    QAction* m_resumeAction = nullptr;
    bool m_paused = false;
};

}  // namespace quillet
