#include "platform/portal/PortalGlobalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "base/Logging.h"
#include "platform/portal/PortalRegistration.h"
#include "platform/portal/PortalRequests.h"
#include "platform/portal/PortalTrigger.h"

namespace quillet {

namespace {

const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString bindInstead =
    QStringLiteral("; bind quillet's commands in the desktop's settings instead");

// More shortcuts than any answer about ours could rightly hold.
constexpr int maxShortcutsInAnswer = 64;

// One element of the portal's a(sa{sv}) shortcut lists.
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

// The ids of a shortcut list that hold a key, if the list has the right type. A shortcut the
// desktop lists with an empty trigger has no key: the desktop kept the name, not the key.
std::optional<std::vector<QString>> boundIds(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(sa{sv})")) return std::nullopt;
    std::vector<QString> ids;
    argument.beginArray();
    while (!argument.atEnd()) {
        ShortcutEntry entry;
        argument >> entry;
        const QVariant trigger = entry.properties.value(QStringLiteral("trigger_description"));
        const bool keyless = trigger.isValid() && trigger.toString().isEmpty();
        if (!keyless && int(ids.size()) < maxShortcutsInAnswer) ids.push_back(entry.id);
    }
    argument.endArray();
    return ids;
}

}  // namespace

}  // namespace quillet

Q_DECLARE_METATYPE(quillet::ShortcutEntry)

namespace quillet {

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus,
                                             std::shared_ptr<PortalRegistration> registration,
                                             std::map<quint32, PortalShortcut> shortcuts,
                                             Timeouts timeouts, QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_registration(std::move(registration)),
      m_requests(std::make_unique<PortalRequests>(m_bus, timeouts.callMs)),
      m_shortcuts(std::move(shortcuts)),
      m_timeouts(timeouts) {
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    if (!m_bus.isConnected()) {
        m_portal = Portal::missing;
        qCWarning(lcHotkeys) << "no session bus; global hot keys need the desktop portal";
        return;
    }
    m_bus.connect(portal::service, portal::path, shortcutsInterface, QStringLiteral("Activated"),
                  this, SLOT(onActivated(QDBusMessage)));
    m_bus.connect(portal::service, portal::path, shortcutsInterface,
                  QStringLiteral("ShortcutsChanged"), this, SLOT(onShortcutsChanged(QDBusMessage)));
    m_watcher = new QDBusServiceWatcher(portal::service, m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { ownerChanged(owner); });
    m_registration->whenRegistered(this, [this] { probe(); });
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() {
    closeSession();
    m_bus.disconnect(portal::service, portal::path, shortcutsInterface, QStringLiteral("Activated"),
                     this, SLOT(onActivated(QDBusMessage)));
    m_bus.disconnect(portal::service, portal::path, shortcutsInterface,
                     QStringLiteral("ShortcutsChanged"), this,
                     SLOT(onShortcutsChanged(QDBusMessage)));
}

bool PortalGlobalShortcuts::isAvailable() const {
    return m_portal != Portal::missing;
}

void PortalGlobalShortcuts::installHandler(Handler handler) {
    m_handler = std::move(handler);
}

void PortalGlobalShortcuts::removeHandler() {
    m_handler = nullptr;
}

void PortalGlobalShortcuts::setStateHandler(StateHandler handler) {
    m_stateHandler = std::move(handler);
}

SystemHotkeys::Registration PortalGlobalShortcuts::registerHotkey(quint32 keyCode,
                                                                  quint32 modifiers,
                                                                  quint32 signature, quint32 id) {
    if (m_portal == Portal::missing) return {};
    const Ref ref = m_nextRef++;
    m_keys.push_back(Key{keyCode, modifiers, signature, id, ref});
    scheduleBind();
    return {HotkeyStatus::noErr, ref, true};
}

void PortalGlobalShortcuts::unregisterHotkey(Ref ref) {
    const auto removed = std::erase_if(m_keys, [ref](const Key& key) { return key.ref == ref; });
    if (removed > 0) scheduleBind();
}

void PortalGlobalShortcuts::probe() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        portal::service, portal::path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    m_requests->call(get, [this](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            giveUp(HotkeyState::unavailable,
                   QStringLiteral("the desktop has no GlobalShortcuts portal (%1: %2)")
                       .arg(reply.errorName(), reply.errorMessage().left(120)));
            return;
        }
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        const uint version = value.metaType() == QMetaType::fromType<uint>() ? value.toUInt() : 0;
        if (version < minimumVersion) {
            giveUp(HotkeyState::unavailable,
                   QStringLiteral("the desktop's GlobalShortcuts portal is too old (version %1)")
                       .arg(version));
            return;
        }
        qCDebug(lcHotkeys) << "GlobalShortcuts portal version" << version;
        m_portal = Portal::ready;
        sync();
    });
}

void PortalGlobalShortcuts::ownerChanged(const QString& owner) {
    m_registration->portalOwnerChanged(owner);
    // The old portal took its session, and every open request, with it.
    m_requests->abandonAll();
    m_session.clear();
    m_bound.reset();
    m_activeIds.clear();
    m_freshSessionTried = false;
    m_step = Step::idle;
    m_portal = Portal::probing;
    if (owner.isEmpty()) {
        qCWarning(lcHotkeys) << "the desktop portal went away; the hot keys wait for it";
        reportAll(HotkeyState::unavailable);
    } else {
        qCInfo(lcHotkeys) << "the desktop portal restarted; binding the hot keys again";
    }
    // Asking starts a portal the bus can start; one that is not there says so.
    m_registration->whenRegistered(this, [this] { probe(); });
}

void PortalGlobalShortcuts::scheduleBind() {
    if (m_bindQueued) return;
    m_bindQueued = true;
    // The keys registered in one turn of the event loop are bound together.
    QTimer::singleShot(0, this, [this] {
        m_bindQueued = false;
        sync();
    });
}

void PortalGlobalShortcuts::sync() {
    // A step under way comes back here when it ends.
    if (m_portal != Portal::ready || m_step != Step::idle) return;
    if (m_keys.empty()) {
        closeSession();
        return;
    }
    if (m_session.isEmpty()) {
        createSession();
    } else if (m_bound != wanted()) {
        bindShortcuts();
    } else {
        // The same keys again (a change undone): the desktop's last answer stands.
        reportBound();
    }
}

void PortalGlobalShortcuts::createSession() {
    m_step = Step::creating;
    QDBusMessage create = QDBusMessage::createMethodCall(
        portal::service, portal::path, shortcutsInterface, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("session_handle_token"), m_requests->newToken()}};
    m_requests->request(create, 0, m_timeouts.sessionMs, [this](const PortalAnswer& answer) {
        switch (answer.kind) {
            case PortalAnswer::Kind::timeout:
                // Still listening: a desktop that answers late is still heard.
                qCWarning(lcHotkeys).noquote()
                    << QStringLiteral(
                           "the desktop portal did not open a shortcuts session in "
                           "time") +
                           bindInstead;
                reportAll(HotkeyState::unavailable);
                return;
            case PortalAnswer::Kind::error:
                giveUp(HotkeyState::unavailable,
                       QStringLiteral("CreateSession failed (%1)").arg(answer.error));
                return;
            case PortalAnswer::Kind::response:
                break;
        }
        m_step = Step::idle;
        if (answer.code != 0) {
            giveUp(HotkeyState::refused,
                   QStringLiteral("the desktop portal declined a shortcuts session (answer %1)")
                       .arg(answer.code));
            return;
        }
        m_session = portal::objectPath(answer.results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            giveUp(HotkeyState::unavailable,
                   QStringLiteral("the desktop portal named no usable shortcuts session"));
            return;
        }
        sync();
    });
}

void PortalGlobalShortcuts::bindShortcuts() {
    m_step = Step::binding;
    QList<ShortcutEntry> entries;
    for (const Key& key : m_keys) {
        QVariantMap properties{{QStringLiteral("description"),
                                m_shortcuts.count(key.id) ? m_shortcuts.at(key.id).description
                                                          : shortcutName(key.id)}};
        if (const auto trigger = portalTrigger(key.keyCode, key.modifiers))
            properties.insert(QStringLiteral("preferred_trigger"), *trigger);
        entries.append(ShortcutEntry{shortcutName(key.id), properties});
    }
    QDBusMessage bind = QDBusMessage::createMethodCall(
        portal::service, portal::path, shortcutsInterface, QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(entries)
         << QString() << QVariantMap();
    const auto asked = wanted();
    const bool rebinding = m_bound.has_value();
    m_requests->request(
        bind, 3, m_timeouts.bindMs, [this, asked, rebinding](const PortalAnswer& answer) {
            switch (answer.kind) {
                case PortalAnswer::Kind::timeout:
                    qCWarning(lcHotkeys).noquote()
                        << QStringLiteral("the desktop portal did not bind the hot keys in time") +
                               bindInstead;
                    reportAll(HotkeyState::unavailable);
                    return;
                case PortalAnswer::Kind::error:
                    m_step = Step::idle;
                    if (rebinding && !m_freshSessionTried) {
                        // Some desktops bind a session once: the new keys go to a new session.
                        qCInfo(lcHotkeys).noquote()
                            << QStringLiteral(
                                   "the desktop portal would not bind the session again "
                                   "(%1); opening a new one")
                                   .arg(answer.error);
                        m_freshSessionTried = true;
                        closeSession();
                        sync();
                        return;
                    }
                    giveUp(HotkeyState::refused,
                           QStringLiteral("BindShortcuts failed (%1)").arg(answer.error));
                    return;
                case PortalAnswer::Kind::response:
                    break;
            }
            m_step = Step::idle;
            m_bound = asked;
            // Keys changed while the desktop was asking: the answer is about keys no longer wanted.
            if (asked != wanted()) {
                sync();
                return;
            }
            finishBind(answer.code, answer.results);
        });
}

void PortalGlobalShortcuts::finishBind(uint code, const QVariantMap& results) {
    m_activeIds.clear();
    if (code != 0) {
        qCWarning(lcHotkeys).noquote()
            << QStringLiteral("the desktop portal did not bind the hot keys (answer %1)")
                       .arg(code) +
                   bindInstead;
        reportAll(HotkeyState::refused);
        return;
    }
    const auto ids = boundIds(results.value(QStringLiteral("shortcuts")));
    if (!ids) qCWarning(lcHotkeys) << "the desktop portal's answer lists no shortcuts";
    if (ids) m_activeIds = *ids;
    reportBound();
}

void PortalGlobalShortcuts::onShortcutsChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (message.signature() != QLatin1String("oa(sa{sv})") || arguments.size() != 2) return;
    if (m_session.isEmpty() || portal::objectPath(arguments.at(0)) != m_session) return;
    const auto ids = boundIds(arguments.at(1));
    if (!ids || m_step == Step::binding) return;  // a binding's own answer follows
    qCInfo(lcHotkeys) << "the desktop changed the hot keys; bound now:" << *ids;
    m_activeIds = *ids;
    reportBound();
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (!message.signature().startsWith(QLatin1String("ost")) || arguments.size() < 2) return;
    if (m_session.isEmpty() || portal::objectPath(arguments.at(0)) != m_session) return;
    const QString name = arguments.at(1).toString();
    const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                  [&](const Key& k) { return shortcutName(k.id) == name; });
    // A key the desktop took away since is not ours to act on.
    if (key == m_keys.end() || !m_handler ||
        std::find(m_activeIds.begin(), m_activeIds.end(), name) == m_activeIds.end())
        return;
    // Copies: the handler may re-register the key.
    const Handler handler = m_handler;
    handler(key->signature, key->id);
}

void PortalGlobalShortcuts::closeSession() {
    m_bound.reset();
    m_activeIds.clear();
    if (m_session.isEmpty()) return;
    // Sent without waiting: the portal drops the session's shortcuts with it.
    m_bus.send(QDBusMessage::createMethodCall(portal::service, m_session, portal::sessionInterface,
                                              QStringLiteral("Close")));
    m_session.clear();
}

void PortalGlobalShortcuts::giveUp(HotkeyState state, const QString& why) {
    qCWarning(lcHotkeys).noquote() << why + bindInstead;
    m_step = Step::idle;
    if (state == HotkeyState::unavailable && m_portal == Portal::probing)
        m_portal = Portal::missing;
    reportAll(state);
}

void PortalGlobalShortcuts::reportBound() {
    // Copied: a state handler may change the keys.
    const std::vector<Key> keys = m_keys;
    for (const Key& key : keys) {
        const QString name = shortcutName(key.id);
        const bool bound =
            std::find(m_activeIds.begin(), m_activeIds.end(), name) != m_activeIds.end();
        if (!bound) qCWarning(lcHotkeys) << "the desktop did not bind" << name;
        report(key.id, bound ? HotkeyState::active : HotkeyState::refused);
    }
}

void PortalGlobalShortcuts::reportAll(HotkeyState state) {
    const std::vector<Key> keys = m_keys;
    for (const Key& key : keys) report(key.id, state);
}

void PortalGlobalShortcuts::report(quint32 id, HotkeyState state) {
    if (m_stateHandler) m_stateHandler(id, state);
}

QString PortalGlobalShortcuts::shortcutName(quint32 id) const {
    const auto it = m_shortcuts.find(id);
    if (it != m_shortcuts.end()) return it->second.name;
    return QStringLiteral("hotkey-%1").arg(id);
}

std::vector<std::pair<QString, QString>> PortalGlobalShortcuts::wanted() const {
    std::vector<std::pair<QString, QString>> keys;
    for (const Key& key : m_keys)
        keys.emplace_back(shortcutName(key.id),
                          portalTrigger(key.keyCode, key.modifiers).value_or(QString()));
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::unique_ptr<SystemHotkeys> makePortalHotkeys(QDBusConnection bus,
                                                 std::shared_ptr<PortalRegistration> registration,
                                                 std::map<quint32, PortalShortcut> shortcuts) {
    return std::make_unique<PortalGlobalShortcuts>(std::move(bus), std::move(registration),
                                                   std::move(shortcuts),
                                                   PortalGlobalShortcuts::Timeouts{});
}

}  // namespace quillet
