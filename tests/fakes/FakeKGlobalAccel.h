#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QStringList>
#include <map>
#include <set>
#include <vector>

namespace quillet::test {

// KDE's shortcut service (org.kde.kglobalaccel) on a connection of its own, owning the
// service's name. Keys other actions hold are kept from the caller, as KDE does; it records
// what it was asked, presses shortcuts, and can change a key as KDE's settings would.
class FakeKGlobalAccel : public QDBusVirtualObject {
public:
    explicit FakeKGlobalAccel(const QString& connectionName)
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName)) {
        qDBusRegisterMetaType<QList<int>>();
        m_bus.registerVirtualObject(QStringLiteral("/kglobalaccel"), this);
        registered = m_bus.registerService(QStringLiteral("org.kde.kglobalaccel"));
    }

    ~FakeKGlobalAccel() override {
        m_bus.unregisterService(QStringLiteral("org.kde.kglobalaccel"));
        m_bus.unregisterObject(QStringLiteral("/kglobalaccel"));
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    // How it answers.
    std::map<int, QString> heldByOthers;  // key -> the other program's action holding it
    std::set<QString> neverReturn;        // methods that never return

    // What it saw.
    bool registered = false;
    std::map<QString, QStringList> actions;  // action -> the actionId it was registered with
    std::map<QString, QList<int>> keys;      // action -> its keys
    std::set<QString> inactive;              // actions set inactive
    std::vector<QString> unregistered;

    // The user presses the key of `action` of `component`.
    void press(const QString& action, const QString& component = QStringLiteral("quillet")) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/component/") + component,
            QStringLiteral("org.kde.kglobalaccel.Component"),
            QStringLiteral("globalShortcutPressed"));
        signal << component << action << qlonglong(1);
        m_bus.send(signal);
    }

    // KDE's settings give `action` other keys.
    void changeInSettings(const QString& action, const QList<int>& newKeys) {
        keys[action] = newKeys;
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/kglobalaccel"),
                                                         QStringLiteral("org.kde.KGlobalAccel"),
                                                         QStringLiteral("yourShortcutGotChanged"));
        signal << actions[action] << QVariant::fromValue(newKeys);
        m_bus.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QString member = message.member();
        if (neverReturn.contains(member)) return true;
        const QList<QVariant> arguments = message.arguments();
        const QStringList actionId = arguments.value(0).toStringList();
        if (member == QLatin1String("doRegister")) {
            if (actionId.size() == 4) actions[actionId.at(1)] = actionId;
            m_bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("setShortcut")) {
            QList<int> granted;
            for (const int key : qdbus_cast<QList<int>>(arguments.value(1)))
                if (!heldByOthers.contains(key)) granted.append(key);
            // Unknown actions get nothing, as KDE answers them.
            if (actions.contains(actionId.value(1))) keys[actionId.value(1)] = granted;
            inactive.erase(actionId.value(1));
            m_bus.send(message.createReply(QVariant::fromValue(
                actions.contains(actionId.value(1)) ? granted : QList<int>{})));
            return true;
        }
        if (member == QLatin1String("setInactive")) {
            inactive.insert(actionId.value(1));
            m_bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("unregister")) {
            const QString action = arguments.value(1).toString();
            unregistered.push_back(action);
            actions.erase(action);
            keys.erase(action);
            m_bus.send(message.createReply(true));
            return true;
        }
        return false;
    }

private:
    QDBusConnection m_bus;
};

}  // namespace quillet::test
