#pragma once

#include <QString>

class QSettings;

namespace quillet {

class Notifications;

// A notice the user is to read once, such as how to reach a program that has no tray icon:
// sent through the desktop's notifications and remembered in the settings once the desktop
// took it. A session without the service tries again at the next start.
class OneTimeNotice {
public:
    // Both must outlive the notice's answer.
    OneTimeNotice(QSettings& settings, Notifications& notifications)
        : m_settings(settings), m_notifications(notifications) {}

    // Sends it unless the setting `key` says it was shown.
    void show(const QString& key, const QString& title, const QString& body);

private:
    QSettings& m_settings;
    Notifications& m_notifications;
};

}  // namespace quillet
