#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/SystemHotkeys.h"

class QDBusMessage;
class QDBusPendingCall;

namespace quillet {

// How one hot-key id appears in the desktop's shortcut settings: a stable name (the
// desktop remembers the user's choice under it) and a description in the user's language.
struct PortalShortcut {
    QString name;
    QString description;
};

// Global hot keys on Wayland through the desktop's GlobalShortcuts portal (xdg-desktop-portal
// on the session bus). Registering only asks: the keys of one event-loop turn are bound
// together in a new portal session (a session binds once), and each id's outcome comes later
// through the state handler. The portal is a peer outside our control: every call and every
// awaited answer has a time-out, replies are checked for their types, and signals of other
// sessions or for unknown shortcuts are dropped. Nothing here ever waits on the bus.
class PortalGlobalShortcuts final : public QObject, public SystemHotkeys {
    Q_OBJECT
public:
    struct Timeouts {
        int callMs = 5000;      // a method's reply
        int sessionMs = 10000;  // CreateSession's answer
        int bindMs = 60000;     // BindShortcuts' answer: the desktop may ask the user first
    };

    // The oldest interface version with everything used here.
    static constexpr uint minimumVersion = 1;

    PortalGlobalShortcuts(QDBusConnection bus, std::map<quint32, PortalShortcut> shortcuts,
                          Timeouts timeouts, QObject* parent = nullptr);
    ~PortalGlobalShortcuts() override;

    // False once the portal is known to be missing, too old or silent.
    bool isAvailable() const override;
    void installHandler(Handler handler) override;
    void removeHandler() override;
    // Accepted as pending (status noErr, `pending`), unless the portal is known to be missing.
    Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                quint32 id) override;
    void unregisterHotkey(Ref ref) override;
    void setStateHandler(StateHandler handler) override;

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);

private:
    enum class Portal { probing, ready, missing };
    enum class Step { idle, creating, binding, bound };

    struct Key {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
        Ref ref;
    };

    void probe();
    void scheduleBind();
    void startRound();
    void createSession();
    void bindShortcuts();
    void finishCreate(uint code, const QVariantMap& results);
    void finishBind(uint code, const QVariantMap& results);
    void answerTimedOut();
    // Waits for the Response signal of the request at `path`.
    void awaitResponse(const QString& path, int timeoutMs);
    void stopAwaiting();
    void closeSession();
    void giveUp(HotkeyState state, const QString& why);
    void reportAll(HotkeyState state);
    void report(quint32 id, HotkeyState state);
    QString shortcutName(quint32 id) const;
    QString requestPath(const QString& token) const;
    QString newToken();
    // Runs `done` with the reply, or with the error, when the call finishes; answers from
    // before a newer round began are dropped.
    void whenAnswered(const QDBusPendingCall& call,
                      std::function<void(const QDBusMessage& reply)> done);

    QDBusConnection m_bus;
    std::map<quint32, PortalShortcut> m_shortcuts;
    Timeouts m_timeouts;
    Handler m_handler;
    StateHandler m_stateHandler;
    std::vector<Key> m_keys;
    Ref m_nextRef = 1;
    Portal m_portal = Portal::probing;
    Step m_step = Step::idle;
    quint64 m_round = 0;  // raised whenever the wanted keys change; older answers are stale
    quint64 m_tokenCount = 0;
    bool m_bindQueued = false;
    QString m_session;      // the session of this round, once the portal named it
    QString m_requestPath;  // the request whose Response we wait for
    QTimer m_answerTimer;
};

// The portal backend with its production time-outs.
std::unique_ptr<SystemHotkeys> makePortalHotkeys(QDBusConnection bus,
                                                 std::map<quint32, PortalShortcut> shortcuts);

}  // namespace quillet
