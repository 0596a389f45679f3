#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/SystemHotkeys.h"

class QDBusMessage;
class QDBusServiceWatcher;

namespace quillet {

class PortalRegistration;
class PortalRequests;

// How one hot-key id appears in the desktop's shortcut settings: a stable name (the
// desktop remembers the user's choice under it) and a description in the user's language.
struct PortalShortcut {
    QString name;
    QString description;
};

// Global hot keys on Wayland through the desktop's GlobalShortcuts portal (xdg-desktop-portal
// on the session bus). One session serves the program's life: the keys of one event-loop turn
// are bound together in it, a change binds it again, and each id's outcome comes later through
// the state handler, as does any later change the desktop reports (ShortcutsChanged). When the
// portal restarts, the keys are bound again in a new session. The portal is a peer outside our
// control: every call and every awaited answer has a time-out, replies are checked for their
// types, and signals of other sessions or for unknown shortcuts are dropped. Nothing here ever
// waits on the bus.
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

    // `registration` is shared with the other portal backends on `bus`.
    PortalGlobalShortcuts(QDBusConnection bus, std::shared_ptr<PortalRegistration> registration,
                          std::map<quint32, PortalShortcut> shortcuts, Timeouts timeouts,
                          QObject* parent = nullptr);
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
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    enum class Portal { probing, ready, missing };
    enum class Step { idle, creating, binding };

    struct Key {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
        Ref ref;
    };

    void probe();
    void ownerChanged(const QString& owner);
    void scheduleBind();
    void sync();
    void createSession();
    void bindShortcuts();
    void finishBind(uint code, const QVariantMap& results);
    void closeSession();
    void giveUp(HotkeyState state, const QString& why);
    // Each key as active when the desktop's last word listed it with a key, else refused.
    void reportBound();
    void reportAll(HotkeyState state);
    void report(quint32 id, HotkeyState state);
    QString shortcutName(quint32 id) const;
    // What the desktop holds: a key's name with its trigger, for telling whether to bind.
    std::vector<std::pair<QString, QString>> wanted() const;

    QDBusConnection m_bus;
    std::shared_ptr<PortalRegistration> m_registration;
    std::unique_ptr<PortalRequests> m_requests;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::map<quint32, PortalShortcut> m_shortcuts;
    Timeouts m_timeouts;
    Handler m_handler;
    StateHandler m_stateHandler;
    std::vector<Key> m_keys;
    Ref m_nextRef = 1;
    Portal m_portal = Portal::probing;
    Step m_step = Step::idle;
    bool m_bindQueued = false;
    QString m_session;  // the one session, once the portal named it
    std::optional<std::vector<std::pair<QString, QString>>> m_bound;  // what the session holds
    std::vector<QString> m_activeIds;  // the shortcuts the desktop last said hold a key
    bool m_freshSessionTried = false;  // a session refused a second binding; a new one was made
};

// The portal backend with its production time-outs.
std::unique_ptr<SystemHotkeys> makePortalHotkeys(QDBusConnection bus,
                                                 std::shared_ptr<PortalRegistration> registration,
                                                 std::map<quint32, PortalShortcut> shortcuts);

}  // namespace quillet
