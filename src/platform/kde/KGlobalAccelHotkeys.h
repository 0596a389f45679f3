#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/SystemHotkeys.h"
#include "platform/portal/PortalGlobalShortcuts.h"

class QDBusServiceWatcher;
class QDBusPendingCall;

namespace quillet {

// A stored hot key as KDE's shortcut service encodes a key: Qt's key plus its modifier bits
// in one int (QKeyCombination::toCombined). Empty for a code with no Qt key and for
// a modifier key.
std::optional<int> kdeShortcutKey(quint32 keyCode, quint32 modifiers);

// Global hot keys on KDE Plasma (X11 and Wayland) through its shortcut service,
// org.kde.kglobalaccel on the session bus, the one KDE's own programs register with. Each id
// is one action of the component `quillet`; its key is set from the stored chord, so our
// settings window decides it, and the service's answer says whether KDE gave it to us (a key
// another action holds is refused). Presses come as the component's globalShortcutPressed.
//
// The service is a peer outside our control: every call has a time-out, answers are checked
// for their types, answers about keys since changed are dropped, and a restarted service is
// given the keys again. Nothing here waits on the bus.
class KGlobalAccelHotkeys final : public QObject, public SystemHotkeys {
    Q_OBJECT
public:
    static constexpr const char* service = "org.kde.kglobalaccel";
    static constexpr const char* component = "quillet";

    struct Timeouts {
        int callMs = 5000;
    };

    // `shortcuts` names each id's action (its name stays stable: KDE keeps the user's
    // settings under it) with the description KDE's settings show.
    KGlobalAccelHotkeys(QDBusConnection bus, std::map<quint32, PortalShortcut> shortcuts,
                        Timeouts timeouts, QObject* parent = nullptr);
    ~KGlobalAccelHotkeys() override;

    // False once the service is known to be gone.
    bool isAvailable() const override;
    void installHandler(Handler handler) override;
    void removeHandler() override;
    // Accepted as pending (status noErr, `pending`); a key KDE cannot name fails at once.
    Registration registerHotkey(quint32 keyCode, quint32 modifiers, quint32 signature,
                                quint32 id) override;
    void unregisterHotkey(Ref ref) override;
    void setStateHandler(StateHandler handler) override;

private slots:
    void onPressed(const QString& componentName, const QString& action, qlonglong timestamp);
    void onShortcutChanged(const QStringList& actionId, const QList<int>& keys);
    void onOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    struct Key {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
        Ref ref;
        int combined;
    };

    void scheduleApply();
    void apply();
    void setKey(const Key& key);
    void answered(const Key& key, const QDBusMessage& reply);
    void reportAll(HotkeyState state);
    void report(quint32 id, HotkeyState state);
    QString actionName(quint32 id) const;
    QStringList actionId(quint32 id) const;
    QDBusMessage call(const QString& method) const;

    QDBusConnection m_bus;
    std::map<quint32, PortalShortcut> m_shortcuts;
    Timeouts m_timeouts;
    Handler m_handler;
    StateHandler m_stateHandler;
    std::vector<Key> m_keys;
    std::set<quint32> m_registered;  // ids whose action KDE holds for us
    Ref m_nextRef = 1;
    quint64 m_round = 0;  // raised whenever the wanted keys change; older answers are stale
    bool m_applyQueued = false;
    bool m_serviceGone = false;
    QDBusServiceWatcher* m_watcher = nullptr;
};

// The KDE backend with its production time-outs.
std::unique_ptr<SystemHotkeys> makeKGlobalAccelHotkeys(QDBusConnection bus,
                                                       std::map<quint32, PortalShortcut> shortcuts);

}  // namespace quillet
