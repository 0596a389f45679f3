#pragma once

#include "fakes/FakePortal.h"

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

// A desktop's GlobalShortcuts portal: binds what it is asked (or only some of it), and presses
// shortcuts or changes them as the user would in the desktop's settings.
class FakeShortcutsPortal : public FakePortal {
public:
    static constexpr const char* interface = "org.freedesktop.portal.GlobalShortcuts";

    explicit FakeShortcutsPortal(const QString& connectionName)
        : FakePortal(connectionName, QLatin1String(interface)) {
        qDBusRegisterMetaType<FakeShortcutEntry>();
        qDBusRegisterMetaType<QList<FakeShortcutEntry>>();
    }

    uint createCode = 0;                        // Response code of CreateSession
    uint bindCode = 0;                          // Response code of BindShortcuts
    std::optional<std::set<QString>> bindOnly;  // the ids it binds; all when empty
    bool bindOnce = false;                      // a session refuses a second BindShortcuts

    std::map<QString, QVariantMap> shortcuts;  // of the latest BindShortcuts
    std::map<QString, int> bindsPerSession;

    // The user presses a shortcut of `session` (the latest when empty).
    void activate(const QString& id, QString session = {}) {
        if (session.isEmpty() && !sessions.empty()) session = sessions.back();
        emitSignal(QLatin1String(path), QLatin1String(interface), QStringLiteral("Activated"),
                   {QVariant::fromValue(QDBusObjectPath(session)), id, quint64(1), QVariantMap()});
    }

    // The user changes the keys in the desktop's settings: only `ids` keep a key.
    void changeShortcuts(const std::set<QString>& ids) {
        QList<FakeShortcutEntry> now;
        for (const auto& [id, properties] : shortcuts) {
            QVariantMap entry{{QStringLiteral("description"), properties.value("description")}};
            entry.insert(QStringLiteral("trigger_description"),
                         ids.contains(id) ? QStringLiteral("Super+V") : QString());
            now.append(FakeShortcutEntry{id, entry});
        }
        emitSignal(
            QLatin1String(path), QLatin1String(interface), QStringLiteral("ShortcutsChanged"),
            {QVariant::fromValue(QDBusObjectPath(sessions.back())), QVariant::fromValue(now)});
    }

protected:
    bool handle(const QDBusMessage& message) override {
        const QString member = message.member();
        if (member == QLatin1String("CreateSession")) {
            const QString session = newSession(message);
            answer(message, 0, createCode, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            const QString session = message.arguments().value(0).value<QDBusObjectPath>().path();
            if (bindsPerSession[session]++ > 0 && bindOnce) {
                bus().send(message.createErrorReply(
                    QStringLiteral("org.freedesktop.portal.Error.Failed"), "already bound"));
                return true;
            }
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
            answer(message, 3, bindCode,
                   {{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}});
            return true;
        }
        return false;
    }
};

}  // namespace quillet::test
