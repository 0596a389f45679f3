#include "platform/portal/PortalRegistration.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include "base/Logging.h"
#include "platform/portal/PortalRequests.h"

namespace quillet {

PortalRegistration::PortalRegistration(QDBusConnection bus, QString appId, int timeoutMs,
                                       QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_appId(std::move(appId)), m_timeoutMs(timeoutMs) {}

void PortalRegistration::whenRegistered(QObject* context, std::function<void()> then) {
    if (m_state == State::done) {
        then();
        return;
    }
    m_waiters.push_back({context, std::move(then)});
    if (m_state == State::registering) return;
    m_state = State::registering;
    QDBusMessage registration = QDBusMessage::createMethodCall(
        portal::service, portal::path, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration << m_appId << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(registration, m_timeoutMs), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (generation != m_generation) return;
                const QDBusMessage reply = call->reply();
                if (reply.type() == QDBusMessage::ErrorMessage) {
                    // Portals before 1.19 have no registry and find the program themselves.
                    qCInfo(lcApp).noquote()
                        << QStringLiteral("the desktop portal did not register us as %1 (%2: %3)")
                               .arg(m_appId, reply.errorName(), reply.errorMessage().left(160));
                } else {
                    qCDebug(lcApp) << "registered with the desktop portal as" << m_appId;
                }
                finish();
            });
}

void PortalRegistration::portalOwnerChanged(const QString& owner) {
    if (owner == m_owner) return;
    m_owner = owner;
    // An answer from the old owner is about a portal that is gone.
    ++m_generation;
    if (m_state == State::registering) {
        m_state = State::idle;
        std::vector<Waiter> waiters = std::exchange(m_waiters, {});
        for (Waiter& waiter : waiters) {
            if (waiter.context) whenRegistered(waiter.context, std::move(waiter.then));
        }
        return;
    }
    m_state = State::idle;
}

void PortalRegistration::finish() {
    m_state = State::done;
    // Copied out first: a waiter may ask again.
    std::vector<Waiter> waiters = std::exchange(m_waiters, {});
    for (const Waiter& waiter : waiters) {
        if (waiter.context && waiter.then) waiter.then();
    }
}

}  // namespace quillet
