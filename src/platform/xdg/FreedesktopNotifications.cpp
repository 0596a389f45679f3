#include "platform/xdg/FreedesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "base/Logging.h"

namespace quillet {

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus, int timeoutMs,
                                                   QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {}

void FreedesktopNotifications::notify(const QString& title, const QString& body, Done done) {
    if (!m_bus.isConnected()) {
        qCWarning(lcApp) << "no session bus: the desktop cannot show" << title;
        if (done) done(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app name, replaces id, icon, summary, body, actions, hints, expiry
    call << QStringLiteral("Quillet") << quint32(0) << QStringLiteral("quillet") << title << body
         << QStringList()
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("quillet")}}
         << qint32(expireNever);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [title, done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<quint32> reply = *finished;
                if (reply.isError())
                    qCWarning(lcApp).noquote()
                        << "the desktop's notification service did not show" << title << "-"
                        << reply.error().name() << reply.error().message();
                if (done) done(!reply.isError());
            });
}

}  // namespace quillet
