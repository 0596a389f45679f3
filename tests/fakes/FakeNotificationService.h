#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>
#include <vector>

namespace quillet::test {

// The desktop's notification service on a connection of its own, owning its bus name. It
// records every Notify call and answers it, or stays silent like a hung service.
class FakeNotificationService : public QDBusVirtualObject {
public:
    static constexpr const char* path = "/org/freedesktop/Notifications";
    static constexpr const char* name = "org.freedesktop.Notifications";

    struct Notice {
        QString application, icon, summary, body;
        qint32 expiry = -1;
    };

    explicit FakeNotificationService(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)),
          m_connectionName(connectionName) {
        m_bus.registerVirtualObject(QLatin1String(path), this);
        registered = m_bus.registerService(QLatin1String(name));
    }
    ~FakeNotificationService() override {
        m_bus.unregisterService(QLatin1String(name));
        m_bus.unregisterObject(QLatin1String(path));
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String("Notify")) return false;
        const QVariantList a = message.arguments();
        if (a.size() != 8) return false;
        received.push_back(
            {a[0].toString(), a[2].toString(), a[3].toString(), a[4].toString(), a[7].toInt()});
        if (!silent)
            connection.send(message.createReply(QVariant::fromValue(quint32(received.size()))));
        return true;
    }

    bool registered = false;
    bool silent = false;
    std::vector<Notice> received;

private:
    QDBusConnection m_bus;
    QString m_connectionName;
};

}  // namespace quillet::test
