#include "platform/kde/KGlobalAccelHotkeys.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QKeyCombination>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "base/KeyTable.h"
#include "base/Logging.h"
#include "platform/portal/PortalTrigger.h"

namespace quillet {

namespace {

const QString servicePath = QStringLiteral("/kglobalaccel");
const QString serviceInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString componentInterface = QStringLiteral("org.kde.kglobalaccel.Component");

// setShortcut's flags: mark the action as present (its program runs), and take the keys we
// give rather than the ones KDE stored, since our own settings hold the user's choice.
constexpr uint setPresent = 2;
constexpr uint noAutoloading = 4;

// More keys than any answer about one action could rightly hold.
constexpr int maxKeysInAnswer = 16;

}  // namespace

std::optional<int> kdeShortcutKey(quint32 keyCode, quint32 modifiers) {
    const PhysicalKey* key = KeyTable::shortcutKey(keyCode);
    if (!key || key->qtKey == 0) return std::nullopt;
    // The keypad flag only where Qt's key alone would name a key of the main keyboard.
    Qt::KeyboardModifiers qtModifiers;
    if (KeyTable::byQtKey(key->qtKey, Qt::NoModifier) != key) qtModifiers = Qt::KeypadModifier;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        if (modifiers & modifier.hotkeyBit) qtModifiers |= modifier.qtModifier;
    }
    return QKeyCombination(qtModifiers, Qt::Key(key->qtKey)).toCombined();
}

KGlobalAccelHotkeys::KGlobalAccelHotkeys(QDBusConnection bus,
                                         std::map<quint32, PortalShortcut> shortcuts,
                                         Timeouts timeouts, QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_shortcuts(std::move(shortcuts)),
      m_timeouts(timeouts) {
    qDBusRegisterMetaType<QList<int>>();
    if (!m_bus.isConnected()) {
        m_serviceGone = true;
        qCWarning(lcHotkeys) << "no session bus; KDE's global shortcuts are out of reach";
        return;
    }
    const QString name = QLatin1String(service);
    m_bus.connect(name, QStringLiteral("/component/%1").arg(QLatin1String(component)),
                  componentInterface, QStringLiteral("globalShortcutPressed"), this,
                  SLOT(onPressed(QString, QString, qlonglong)));
    m_bus.connect(name, servicePath, serviceInterface, QStringLiteral("yourShortcutGotChanged"),
                  this, SLOT(onShortcutChanged(QStringList, QList<int>)));
    m_watcher = new QDBusServiceWatcher(name, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &KGlobalAccelHotkeys::onOwnerChanged);
}

KGlobalAccelHotkeys::~KGlobalAccelHotkeys() {
    // KDE keeps the keys reserved for us while we are away, and routes no presses.
    for (const quint32 id : m_registered) {
        QDBusMessage inactive = call(QStringLiteral("setInactive"));
        inactive << actionId(id);
        m_bus.send(inactive);
    }
}

bool KGlobalAccelHotkeys::isAvailable() const {
    return !m_serviceGone;
}

void KGlobalAccelHotkeys::installHandler(Handler handler) {
    m_handler = std::move(handler);
}

void KGlobalAccelHotkeys::removeHandler() {
    m_handler = nullptr;
}

void KGlobalAccelHotkeys::setStateHandler(StateHandler handler) {
    m_stateHandler = std::move(handler);
}

SystemHotkeys::Registration KGlobalAccelHotkeys::registerHotkey(quint32 keyCode,
                                                                quint32 modifiers,
                                                                quint32 signature, quint32 id) {
    const auto combined = kdeShortcutKey(keyCode, modifiers);
    if (!combined) {
        qCWarning(lcHotkeys) << "KDE's shortcuts have no name for key code" << keyCode;
        return {};
    }
    if (!m_bus.isConnected()) return {};
    const Ref ref = m_nextRef++;
    m_keys.push_back(Key{keyCode, modifiers, signature, id, ref, *combined});
    scheduleApply();
    return {HotkeyStatus::noErr, ref, true};
}

void KGlobalAccelHotkeys::unregisterHotkey(Ref ref) {
    const auto removed = std::erase_if(m_keys, [ref](const Key& key) { return key.ref == ref; });
    if (removed > 0) scheduleApply();
}

void KGlobalAccelHotkeys::scheduleApply() {
    ++m_round;
    if (m_applyQueued) return;
    m_applyQueued = true;
    // A key replaced by another in one turn of the event loop is one change for KDE.
    QTimer::singleShot(0, this, [this] {
        m_applyQueued = false;
        apply();
    });
}

void KGlobalAccelHotkeys::apply() {
    ++m_round;
    if (m_serviceGone) {
        reportAll(HotkeyState::unavailable);
        return;
    }
    // Actions no key wants any more give their key back.
    for (auto it = m_registered.begin(); it != m_registered.end();) {
        const quint32 id = *it;
        if (std::any_of(m_keys.begin(), m_keys.end(), [id](const Key& k) { return k.id == id; })) {
            ++it;
            continue;
        }
        QDBusMessage drop = call(QStringLiteral("unregister"));
        drop << QLatin1String(component) << actionName(id);
        m_bus.send(drop);
        it = m_registered.erase(it);
    }
    for (const Key& key : m_keys) setKey(key);
}

void KGlobalAccelHotkeys::setKey(const Key& key) {
    // Messages on one connection arrive in order: the action exists before its key is set.
    QDBusMessage registration = call(QStringLiteral("doRegister"));
    registration << actionId(key.id);
    m_bus.send(registration);
    QDBusMessage set = call(QStringLiteral("setShortcut"));
    set << actionId(key.id) << QVariant::fromValue(QList<int>{key.combined})
        << uint(setPresent | noAutoloading);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(set, m_timeouts.callMs), this);
    const quint64 round = m_round;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, round, key](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (round != m_round) return;
                answered(key, finished->reply());
            });
}

void KGlobalAccelHotkeys::answered(const Key& key, const QDBusMessage& reply) {
    const quint32 id = key.id;
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const bool silent = reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                            reply.errorName() ==
                                QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown");
        qCWarning(lcHotkeys).noquote()
            << QStringLiteral("KDE's shortcut service did not set %1 (%2: %3)")
                   .arg(actionName(id), reply.errorName(), reply.errorMessage().left(120));
        report(id, silent ? HotkeyState::unavailable : HotkeyState::refused);
        return;
    }
    m_registered.insert(id);
    if (reply.signature() != QLatin1String("ai")) {
        qCWarning(lcHotkeys) << "ignored an answer of type" << reply.signature()
                             << "from KDE's shortcut service";
        report(id, HotkeyState::unavailable);
        return;
    }
    const QList<int> keys = qdbus_cast<QList<int>>(reply.arguments().value(0)).mid(0, maxKeysInAnswer);
    if (keys.contains(key.combined)) {
        report(id, HotkeyState::active);
        return;
    }
    qCWarning(lcHotkeys).noquote()
        << QStringLiteral("KDE did not give %1 the key %2: another action holds it")
               .arg(actionName(id), portalTrigger(key.keyCode, key.modifiers).value_or("?"));
    report(id, HotkeyState::refused);
}

void KGlobalAccelHotkeys::onPressed(const QString& componentName, const QString& action,
                                    qlonglong /*timestamp*/) {
    if (componentName != QLatin1String(component) || !m_handler) return;
    const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                  [&](const Key& k) { return actionName(k.id) == action; });
    if (key == m_keys.end()) return;
    // Copies: the handler may re-register the key.
    const Handler handler = m_handler;
    handler(key->signature, key->id);
}

void KGlobalAccelHotkeys::onShortcutChanged(const QStringList& changed, const QList<int>& keys) {
    if (changed.value(0) != QLatin1String(component)) return;
    const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                  [&](const Key& k) { return actionName(k.id) == changed.value(1); });
    if (key == m_keys.end() || keys.contains(key->combined)) return;
    // KDE's settings, or another program, took the key away: ours no longer opens the menu.
    qCWarning(lcHotkeys).noquote()
        << QStringLiteral("the key of %1 was changed in KDE's shortcut settings").arg(changed.value(1));
    report(key->id, HotkeyState::refused);
}

void KGlobalAccelHotkeys::onOwnerChanged(const QString&, const QString& oldOwner,
                                         const QString& newOwner) {
    if (newOwner.isEmpty()) {
        qCWarning(lcHotkeys) << "KDE's shortcut service went away; global hot keys are off";
        m_serviceGone = true;
        m_registered.clear();
        ++m_round;
        reportAll(HotkeyState::unavailable);
        return;
    }
    // A new service knows nothing of us: our keys go to it afresh.
    if (!oldOwner.isEmpty() || m_serviceGone)
        qCInfo(lcHotkeys) << "KDE's shortcut service is back; registering the hot keys again";
    m_serviceGone = false;
    m_registered.clear();
    for (const Key& key : m_keys) report(key.id, HotkeyState::pending);
    scheduleApply();
}

void KGlobalAccelHotkeys::reportAll(HotkeyState state) {
    const std::vector<Key> keys = m_keys;  // copied: a state handler may change the keys
    for (const Key& key : keys) report(key.id, state);
}

void KGlobalAccelHotkeys::report(quint32 id, HotkeyState state) {
    if (m_stateHandler) m_stateHandler(id, state);
}

QString KGlobalAccelHotkeys::actionName(quint32 id) const {
    const auto it = m_shortcuts.find(id);
    return it != m_shortcuts.end() ? it->second.name : QStringLiteral("hotkey-%1").arg(id);
}

QStringList KGlobalAccelHotkeys::actionId(quint32 id) const {
    // Component and action, each as an id and as the name KDE's settings show.
    const auto it = m_shortcuts.find(id);
    return {QLatin1String(component), actionName(id), QStringLiteral("Quillet"),
            it != m_shortcuts.end() ? it->second.description : actionName(id)};
}

QDBusMessage KGlobalAccelHotkeys::call(const QString& method) const {
    return QDBusMessage::createMethodCall(QLatin1String(service), servicePath, serviceInterface,
                                          method);
}

std::unique_ptr<SystemHotkeys> makeKGlobalAccelHotkeys(
    QDBusConnection bus, std::map<quint32, PortalShortcut> shortcuts) {
    return std::make_unique<KGlobalAccelHotkeys>(std::move(bus), std::move(shortcuts),
                                                 KGlobalAccelHotkeys::Timeouts{});
}

}  // namespace quillet
