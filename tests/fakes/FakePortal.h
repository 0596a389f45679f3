#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace quillet::test {

// A desktop portal (xdg-desktop-portal) on a connection of its own, owning the portal's bus
// name on the test's private session bus. It answers the parts every portal shares: the host
// registry, interface versions, sessions and the Request/Response dance; a subclass answers
// its own interface. It records every call in order, and answers as told (or not at all).
class FakePortal : public QDBusVirtualObject {
public:
    static constexpr const char* path = "/org/freedesktop/portal/desktop";
    static constexpr const char* registryInterface = "org.freedesktop.host.portal.Registry";

    FakePortal(const QString& connectionName, const QString& interface)
        : m_interface(interface),
          m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
        m_bus.registerVirtualObject(QLatin1String(path), this, QDBusConnection::SubPath);
        registered = m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    ~FakePortal() override { stop(); }

    // The portal ends (crashes or is replaced): its name and sessions go with it.
    void stop() {
        if (!m_bus.isConnected()) return;
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(QLatin1String(path), QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(m_bus.name());
        m_bus = QDBusConnection(QString());
    }

    // How it answers.
    std::optional<uint> version = 1;  // empty: the interface is not there
    bool hasRegistry = true;          // false: a portal older than the host registry
    std::set<QString> neverReturn;    // methods (Get included) that never return
    bool sendResponses = true;        // false: requests never answer
    std::set<QString> unanswered;     // methods whose requests never answer

    // What it saw.
    bool registered = false;
    std::vector<QString> calls;     // "Member" of every call, in order (Get, Register, ...)
    QString registeredAppId;        // the app id of Register
    std::vector<QString> sessions;  // created, in order
    std::vector<QString> closed;    // sessions closed by the client

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        calls.push_back(member);
        if (message.interface() == QLatin1String("org.freedesktop.portal.Session")) {
            closed.push_back(message.path());
            return true;
        }
        if (neverReturn.contains(member)) return true;
        if (message.interface() == QLatin1String(registryInterface)) {
            if (!hasRegistry) return false;
            registeredAppId = message.arguments().value(0).toString();
            m_bus.send(message.createReply());
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (!version || message.arguments().value(0).toString() != m_interface) {
                m_bus.send(message.createErrorReply(
                    QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), "no such"));
                return true;
            }
            if (member == QLatin1String("GetAll")) {
                QVariantMap all = properties();
                all.insert(QStringLiteral("version"), *version);
                m_bus.send(message.createReply(all));
            } else {
                m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(*version))));
            }
            return true;
        }
        if (message.interface() != m_interface) return false;
        return handle(message);
    }

protected:
    // The subclass's own interface; false for a method it does not know.
    virtual bool handle(const QDBusMessage& message) = 0;
    virtual QVariantMap properties() const { return {}; }

    QVariantMap options(const QDBusMessage& message, int index) const {
        return qdbus_cast<QVariantMap>(message.arguments().value(index));
    }

    // Replies with the request path of the call's handle_token and answers on it with `code`.
    void answer(const QDBusMessage& message, int optionsIndex, uint code,
                const QVariantMap& results) {
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender(message), options(message, optionsIndex)
                                                              .value(QStringLiteral("handle_token"))
                                                              .toString());
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (!sendResponses || unanswered.contains(message.member())) return;
        QDBusMessage signal = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << code << results;
        m_bus.send(signal);
    }

    // A new session of the caller, named by its session_handle_token.
    QString newSession(const QDBusMessage& message) {
        const QString session =
            QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                .arg(sender(message),
                     options(message, 0).value(QStringLiteral("session_handle_token")).toString());
        sessions.push_back(session);
        return session;
    }

    void emitSignal(const QString& objectPath, const QString& interface, const QString& name,
                    const QList<QVariant>& arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(objectPath, interface, name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }

    QDBusConnection& bus() { return m_bus; }

private:
    static QString sender(const QDBusMessage& message) {
        return message.service().mid(1).replace(u'.', u'_');
    }

    QString m_interface;
    QDBusConnection m_bus;
};

}  // namespace quillet::test
