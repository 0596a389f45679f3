#include "support/MutterRemoteKeyboard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QUuid>

#include "support/XvfbSession.h"

namespace quillet::test {

namespace {

const QString kRemoteDesktop = QStringLiteral("org.gnome.Mutter.RemoteDesktop");

void setError(QString* error, const QString& message) {
    if (error) *error = message;
}

}  // namespace

std::unique_ptr<MutterRemoteKeyboard> MutterRemoteKeyboard::open(const QString& busAddress,
                                                                 QString* error) {
    std::unique_ptr<MutterRemoteKeyboard> keyboard(new MutterRemoteKeyboard);
    keyboard->m_connectionName =
        QStringLiteral("mutter-keyboard-") + QUuid::createUuid().toString(QUuid::Id128);
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, keyboard->m_connectionName);
    // Mutter takes its name on the bus a moment after its Wayland socket appears.
    const bool owned = waitFor(
        [&] {
            return bus.isConnected() &&
                   bus.interface()->isServiceRegistered(kRemoteDesktop).value();
        },
        std::chrono::seconds(10));
    if (!owned) {
        setError(error, QStringLiteral("mutter offers no remote desktop interface on its bus"));
        return nullptr;
    }
    const QDBusReply<QDBusObjectPath> created = bus.call(QDBusMessage::createMethodCall(
        kRemoteDesktop, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kRemoteDesktop,
        QStringLiteral("CreateSession")));
    if (!created.isValid()) {
        setError(error, QStringLiteral("no remote desktop session: ") + created.error().message());
        return nullptr;
    }
    keyboard->m_session = created.value().path();
    const QDBusMessage started = bus.call(QDBusMessage::createMethodCall(
        kRemoteDesktop, keyboard->m_session, kRemoteDesktop + QStringLiteral(".Session"),
        QStringLiteral("Start")));
    if (started.type() == QDBusMessage::ErrorMessage) {
        setError(error, QStringLiteral("the remote desktop session did not start: ") +
                            started.errorMessage());
        return nullptr;
    }
    return keyboard;
}

MutterRemoteKeyboard::~MutterRemoteKeyboard() {
    // Mutter ends the session when its owner leaves the bus.
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool MutterRemoteKeyboard::key(quint32 evdevCode, bool pressed) {
    QDBusMessage call = QDBusMessage::createMethodCall(kRemoteDesktop, m_session,
                                                       kRemoteDesktop + QStringLiteral(".Session"),
                                                       QStringLiteral("NotifyKeyboardKeycode"));
    call << evdevCode << pressed;
    return QDBusConnection(m_connectionName).call(call).type() != QDBusMessage::ErrorMessage;
}

}  // namespace quillet::test
