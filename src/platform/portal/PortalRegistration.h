#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

namespace quillet {

// Tells the desktop portal which program we are (org.freedesktop.host.portal.Registry), as
// newer portals want of programs that run outside a sandbox: the app id names our desktop
// entry, so the desktop shows our name in its dialogs and keeps our permissions under it. It
// must come before any other call of the connection, so every portal backend asks through
// this one object. Older portals lack the interface; that is said once and changes nothing.
class PortalRegistration final : public QObject {
    Q_OBJECT
public:
    PortalRegistration(QDBusConnection bus, QString appId, int timeoutMs = 5000,
                       QObject* parent = nullptr);

    // Runs `then` once registered (or once registering failed); at once when already done.
    // Dropped if `context` is gone by then.
    void whenRegistered(QObject* context, std::function<void()> then);
    // The portal's owner changed (it restarted): a new portal knows nothing of us. Called by
    // every backend that sees it; only the first call for one owner counts.
    void portalOwnerChanged(const QString& owner);

private:
    enum class State { idle, registering, done };
    struct Waiter {
        QPointer<QObject> context;
        std::function<void()> then;
    };

    void finish();

    QDBusConnection m_bus;
    QString m_appId;
    int m_timeoutMs;
    State m_state = State::idle;
    QString m_owner;
    quint64 m_generation = 0;
    std::vector<Waiter> m_waiters;
};

}  // namespace quillet
