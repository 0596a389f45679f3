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

struct FakeShortcutEntry {
    QString id;
    QVariantMap properties;
};

inline QDBusArgument& operator<<(QDBusArgument& argument, const FakeShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, FakeShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

}  // namespace quillet::test

Q_DECLARE_METATYPE(quillet::test::FakeShortcutEntry)

namespace quillet::test {

// A desktop's GlobalShortcuts portal on a connection of its own, owning the portal's bus name.
// It answers as told (or not at all), records what it was asked, and presses shortcuts.
class FakeShortcutsPortal : public QDBusVirtualObject {
public:
    static constexpr const char* path = "/org/freedesktop/portal/desktop";
    static constexpr const char* interface = "org.freedesktop.portal.GlobalShortcuts";

    explicit FakeShortcutsPortal(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
        qDBusRegisterMetaType<FakeShortcutEntry>();
        qDBusRegisterMetaType<QList<FakeShortcutEntry>>();
        m_bus.registerVirtualObject(QLatin1String(path), this, QDBusConnection::SubPath);
        registered = m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }

    ~FakeShortcutsPortal() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(QLatin1String(path), QDBusConnection::UnregisterTree);
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    // How it answers.
    std::optional<uint> version = 1;            // empty: the interface is not there
    std::set<QString> neverReturn;              // methods (Get included) that never return
    bool sendResponses = true;                  // false: requests never answer
    uint createCode = 0;                        // Response code of CreateSession
    uint bindCode = 0;                          // Response code of BindShortcuts
    std::optional<std::set<QString>> bindOnly;  // the ids it binds; all when empty

    // What it saw.
    bool registered = false;
    std::vector<QString> sessions;             // created, in order
    std::vector<QString> closed;               // sessions closed by the client
    std::map<QString, QVariantMap> shortcuts;  // of the latest BindShortcuts

    // The user presses a shortcut of `session` (the latest when empty).
    void activate(const QString& id, QString session = {}) {
        if (session.isEmpty() && !sessions.empty()) session = sessions.back();
        QDBusMessage signal = QDBusMessage::createSignal(
            QLatin1String(path), QLatin1String(interface), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << quint64(1)
               << QVariantMap();
        m_bus.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        if (message.interface() == QLatin1String("org.freedesktop.portal.Session")) {
            closed.push_back(message.path());
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (!version || message.arguments().value(0).toString() != QLatin1String(interface)) {
                m_bus.send(message.createErrorReply(
                    QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), "no such"));
                return true;
            }
            if (!neverReturn.contains(member))
                m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(*version))));
            return true;
        }
        if (neverReturn.contains(member)) return true;
        const QString sender = message.service().mid(1).replace(u'.', u'_');
        const auto options = [&](int index) {
            return qdbus_cast<QVariantMap>(message.arguments().value(index));
        };
        if (member == QLatin1String("CreateSession")) {
            const QString request = requestPath(sender, options(0));
            const QString session =
                QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                    .arg(sender,
                         options(0).value(QStringLiteral("session_handle_token")).toString());
            sessions.push_back(session);
            m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            respond(request, createCode, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            shortcuts.clear();
            QList<FakeShortcutEntry> bound;
            const auto list = message.arguments().value(1).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                FakeShortcutEntry entry;
                list >> entry;
                shortcuts[entry.id] = entry.properties;
                if (!bindOnly || bindOnly->contains(entry.id)) bound.append(entry);
            }
            list.endArray();
            const QString request = requestPath(sender, options(3));
            m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            respond(request, bindCode, {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
            return true;
        }
        return false;
    }

private:
    static QString requestPath(const QString& sender, const QVariantMap& options) {
        return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
            .arg(sender, options.value(QStringLiteral("handle_token")).toString());
    }

    void respond(const QString& request, uint code, const QVariantMap& results) {
        if (!sendResponses) return;
        QDBusMessage signal = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << code << results;
        m_bus.send(signal);
    }

    QDBusConnection m_bus;
};

}  // namespace quillet::test
