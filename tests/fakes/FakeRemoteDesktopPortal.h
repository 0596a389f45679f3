#pragma once

#include <functional>

#include "fakes/FakePortal.h"

namespace quillet::test {

// A desktop's RemoteDesktop portal: it grants, refuses or ignores the session's Start as the
// user would in its dialog, remembers restore tokens it handed out, and records the keys it
// was sent. `onKey` lets a test forward the keys somewhere real (a compositor).
class FakeRemoteDesktopPortal : public FakePortal {
public:
    static constexpr const char* interface = "org.freedesktop.portal.RemoteDesktop";

    struct KeyEvent {
        QString session;
        int keycode;
        uint state;
        bool operator==(const KeyEvent&) const = default;
    };

    explicit FakeRemoteDesktopPortal(const QString& connectionName)
        : FakePortal(connectionName, QLatin1String(interface)) {}

    uint startCode = 0;         // the user's answer: 0 allowed, 1 cancelled, 2 failed
    uint availableDevices = 7;  // keyboard, pointer, touchscreen
    QString tokenToHandOut;     // returned by Start when persisting was asked for
    std::function<void(int keycode, uint state)> onKey;

    std::vector<QVariantMap> selectOptions;  // of every SelectDevices
    std::vector<KeyEvent> keys;

    // The desktop ends the session (the user stops it from the desktop's indicator).
    void closeSession() {
        emitSignal(sessions.back(), QStringLiteral("org.freedesktop.portal.Session"),
                   QStringLiteral("Closed"), {QVariantMap()});
    }

protected:
    QVariantMap properties() const override {
        return {{QStringLiteral("AvailableDeviceTypes"), availableDevices}};
    }

    bool handle(const QDBusMessage& message) override {
        const QString member = message.member();
        if (member == QLatin1String("CreateSession")) {
            const QString session = newSession(message);
            answer(message, 0, 0, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (member == QLatin1String("SelectDevices")) {
            selectOptions.push_back(options(message, 1));
            answer(message, 1, 0, {});
            return true;
        }
        if (member == QLatin1String("Start")) {
            QVariantMap results;
            if (startCode == 0) {
                results.insert(QStringLiteral("devices"), uint(1));
                const QVariantMap asked =
                    selectOptions.empty() ? QVariantMap() : selectOptions.back();
                if (asked.value(QStringLiteral("persist_mode")).toUInt() == 2 &&
                    !tokenToHandOut.isEmpty())
                    results.insert(QStringLiteral("restore_token"), tokenToHandOut);
            }
            answer(message, 2, startCode, results);
            return true;
        }
        if (member == QLatin1String("NotifyKeyboardKeycode")) {
            const QList<QVariant> arguments = message.arguments();
            const KeyEvent event{arguments.value(0).value<QDBusObjectPath>().path(),
                                 arguments.value(2).toInt(), arguments.value(3).toUInt()};
            keys.push_back(event);
            bus().send(message.createReply());
            if (onKey) onKey(event.keycode, event.state);
            return true;
        }
        return false;
    }
};

}  // namespace quillet::test
