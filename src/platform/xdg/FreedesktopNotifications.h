#pragma once

#include <QDBusConnection>
#include <QObject>

#include "platform/Notifications.h"

namespace quillet {

// org.freedesktop.Notifications over D-Bus. The call is asynchronous with a bounded wait: a
// missing or hung service costs the event loop nothing.
class FreedesktopNotifications final : public QObject, public Notifications {
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMs = 5000;
    // Shown until the user closes it: a notice on how to reach the program is read once.
    static constexpr int expireNever = 0;

    explicit FreedesktopNotifications(QDBusConnection bus, int timeoutMs = defaultTimeoutMs,
                                      QObject* parent = nullptr);

    void notify(const QString& title, const QString& body, Done done) override;

private:
    QDBusConnection m_bus;
    int m_timeoutMs;
};

}  // namespace quillet
