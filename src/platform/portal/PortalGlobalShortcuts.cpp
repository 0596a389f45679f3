#include "platform/portal/PortalGlobalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QRandomGenerator>
#include <algorithm>
#include <set>
#include <utility>

#include "platform/Logging.h"
#include "platform/portal/PortalTrigger.h"

namespace quillet {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// More shortcuts than any answer about ours could rightly hold.
constexpr int maxShortcutsInAnswer = 64;
constexpr int maxPathLength = 1024;

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

// The shortcut ids a BindShortcuts answer lists, if its `shortcuts` entry has the right type.
std::optional<std::set<QString>> boundIds(const QVariantMap& results) {
    const QVariant value = results.value(QStringLiteral("shortcuts"));
    if (!value.canConvert<QDBusArgument>()) return std::nullopt;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(sa{sv})")) return std::nullopt;
    std::set<QString> ids;
    argument.beginArray();
    while (!argument.atEnd()) {
        ShortcutEntry entry;
        argument >> entry;
        if (int(ids.size()) < maxShortcutsInAnswer) ids.insert(entry.id);
    }
    argument.endArray();
    return ids;
}

// The session a CreateSession answer names: a string by the interface's definition, an object
// path from some implementations.
QString sessionHandle(const QVariantMap& results) {
    const QVariant value = results.value(QStringLiteral("session_handle"));
    QString path;
    if (value.metaType() == QMetaType::fromType<QString>()) path = value.toString();
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        path = value.value<QDBusObjectPath>().path();
    if (path.size() > maxPathLength || QDBusObjectPath(path).path().isEmpty()) return {};
    return path;
}

}  // namespace

}  // namespace quillet

Q_DECLARE_METATYPE(quillet::ShortcutEntry)

namespace quillet {

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus,
                                             std::map<quint32, PortalShortcut> shortcuts,
                                             Timeouts timeouts, QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_shortcuts(std::move(shortcuts)),
      m_timeouts(timeouts) {
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &PortalGlobalShortcuts::answerTimedOut);
    if (!m_bus.isConnected()) {
        m_portal = Portal::missing;
        qCWarning(lcHotkeys) << "no session bus; global hot keys need the desktop portal";
        return;
    }
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
    probe();
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() {
    stopAwaiting();
    closeSession();
    m_bus.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"),
                     this, SLOT(onActivated(QDBusMessage)));
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
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    // Not tied to a round: whatever the keys are by then, this says whether to bind them.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(get, m_timeouts.callMs), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusMessage reply = call->reply();
            if (reply.type() == QDBusMessage::ErrorMessage) {
                giveUp(HotkeyState::unavailable,
                       QStringLiteral("the desktop has no GlobalShortcuts portal (%1: %2)")
                           .arg(reply.errorName(), reply.errorMessage().left(120)));
                return;
            }
            const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
            const uint version =
                value.metaType() == QMetaType::fromType<uint>() ? value.toUInt() : 0;
            if (version < minimumVersion) {
                giveUp(
                    HotkeyState::unavailable,
                    QStringLiteral("the desktop's GlobalShortcuts portal is too old (version %1)")
                        .arg(version));
                return;
            }
            qCDebug(lcHotkeys) << "GlobalShortcuts portal version" << version;
            m_portal = Portal::ready;
            startRound();
        });
}

void PortalGlobalShortcuts::scheduleBind() {
    // Answers about the keys as they were are of no use any more.
    ++m_round;
    stopAwaiting();
    m_step = Step::idle;
    if (m_bindQueued) return;
    m_bindQueued = true;
    // The keys registered in one turn of the event loop go into one session.
    QTimer::singleShot(0, this, [this] {
        m_bindQueued = false;
        if (m_portal == Portal::ready) startRound();
    });
}

void PortalGlobalShortcuts::startRound() {
    ++m_round;
    stopAwaiting();
    closeSession();
    m_step = Step::idle;
    if (m_keys.empty()) return;
    createSession();
}

void PortalGlobalShortcuts::createSession() {
    const QString token = newToken();
    QDBusMessage create = QDBusMessage::createMethodCall(
        portalService, portalPath, shortcutsInterface, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), token},
                          {QStringLiteral("session_handle_token"), newToken()}};
    m_step = Step::creating;
    // Listening before asking: the answer may come right behind the reply.
    awaitResponse(requestPath(token), m_timeouts.sessionMs);
    whenAnswered(m_bus.asyncCall(create, m_timeouts.callMs), [this](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            giveUp(HotkeyState::unavailable,
                   QStringLiteral("CreateSession failed (%1: %2)")
                       .arg(reply.errorName(), reply.errorMessage().left(120)));
            return;
        }
        const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
        // Portals before the handle_token convention answer on a path of their own choosing.
        if (!handle.isEmpty() && handle != m_requestPath && handle.size() <= maxPathLength)
            awaitResponse(handle, m_timeouts.sessionMs);
    });
}

void PortalGlobalShortcuts::bindShortcuts() {
    QList<ShortcutEntry> entries;
    for (const Key& key : m_keys) {
        QVariantMap properties{{QStringLiteral("description"),
                                m_shortcuts.count(key.id) ? m_shortcuts.at(key.id).description
                                                          : shortcutName(key.id)}};
        if (const auto trigger = portalTrigger(key.keyCode, key.modifiers))
            properties.insert(QStringLiteral("preferred_trigger"), *trigger);
        entries.append(ShortcutEntry{shortcutName(key.id), properties});
    }
    const QString token = newToken();
    QDBusMessage bind = QDBusMessage::createMethodCall(
        portalService, portalPath, shortcutsInterface, QStringLiteral("BindShortcuts"));
    bind << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(entries)
         << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    m_step = Step::binding;
    awaitResponse(requestPath(token), m_timeouts.bindMs);
    whenAnswered(m_bus.asyncCall(bind, m_timeouts.callMs), [this](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            giveUp(HotkeyState::refused,
                   QStringLiteral("BindShortcuts failed (%1: %2)")
                       .arg(reply.errorName(), reply.errorMessage().left(120)));
            return;
        }
        const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!handle.isEmpty() && handle != m_requestPath && handle.size() <= maxPathLength)
            awaitResponse(handle, m_timeouts.bindMs);
    });
}

void PortalGlobalShortcuts::onResponse(const QDBusMessage& message) {
    if (message.path() != m_requestPath) return;
    const QList<QVariant> arguments = message.arguments();
    if (message.signature() != QLatin1String("ua{sv}") || arguments.size() != 2) {
        qCWarning(lcHotkeys) << "ignored a portal answer of type" << message.signature();
        return;
    }
    const uint code = arguments.at(0).toUInt();
    const auto results = qdbus_cast<QVariantMap>(arguments.at(1));
    stopAwaiting();
    if (m_step == Step::creating) {
        finishCreate(code, results);
    } else if (m_step == Step::binding) {
        finishBind(code, results);
    }
}

void PortalGlobalShortcuts::finishCreate(uint code, const QVariantMap& results) {
    if (code != 0) {
        giveUp(HotkeyState::refused,
               QStringLiteral("the desktop portal declined a shortcuts session (answer %1)")
                   .arg(code));
        return;
    }
    m_session = sessionHandle(results);
    if (m_session.isEmpty()) {
        giveUp(HotkeyState::unavailable,
               QStringLiteral("the desktop portal named no usable shortcuts session"));
        return;
    }
    bindShortcuts();
}

void PortalGlobalShortcuts::finishBind(uint code, const QVariantMap& results) {
    m_step = Step::bound;
    if (code != 0) {
        qCWarning(lcHotkeys).noquote()
            << QStringLiteral(
                   "the desktop portal did not bind the hot keys (answer %1); bind "
                   "quillet's commands in the desktop's settings instead")
                   .arg(code);
        reportAll(HotkeyState::refused);
        return;
    }
    const auto ids = boundIds(results);
    if (!ids) qCWarning(lcHotkeys) << "the desktop portal's answer lists no shortcuts";
    // Copied: a state handler may change the keys.
    const std::vector<Key> keys = m_keys;
    for (const Key& key : keys) {
        const bool bound = ids && ids->contains(shortcutName(key.id));
        if (!bound) qCWarning(lcHotkeys) << "the desktop did not bind" << shortcutName(key.id);
        report(key.id, bound ? HotkeyState::active : HotkeyState::refused);
    }
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (!message.signature().startsWith(QLatin1String("ost")) || arguments.size() < 2) return;
    if (m_session.isEmpty() || arguments.at(0).value<QDBusObjectPath>().path() != m_session) return;
    const QString name = arguments.at(1).toString();
    const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                  [&](const Key& k) { return shortcutName(k.id) == name; });
    if (key == m_keys.end() || !m_handler) return;
    // Copies: the handler may re-register the key.
    const Handler handler = m_handler;
    handler(key->signature, key->id);
}

void PortalGlobalShortcuts::answerTimedOut() {
    // Still listening: a desktop that answers late (a dialog left open) is still heard.
    const QString what = m_step == Step::creating ? QStringLiteral("a shortcuts session")
                                                  : QStringLiteral("binding the hot keys");
    qCWarning(lcHotkeys).noquote()
        << QStringLiteral(
               "the desktop portal did not answer %1 in time; bind quillet's "
               "commands in the desktop's settings instead")
               .arg(what);
    reportAll(HotkeyState::unavailable);
}

void PortalGlobalShortcuts::awaitResponse(const QString& path, int timeoutMs) {
    stopAwaiting();
    m_requestPath = path;
    m_bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(QDBusMessage)));
    m_answerTimer.start(timeoutMs);
}

void PortalGlobalShortcuts::stopAwaiting() {
    m_answerTimer.stop();
    if (m_requestPath.isEmpty()) return;
    m_bus.disconnect(portalService, m_requestPath, requestInterface, QStringLiteral("Response"),
                     this, SLOT(onResponse(QDBusMessage)));
    m_requestPath.clear();
}

void PortalGlobalShortcuts::closeSession() {
    if (m_session.isEmpty()) return;
    // Sent without waiting: the portal drops the session's shortcuts with it.
    m_bus.send(QDBusMessage::createMethodCall(portalService, m_session, sessionInterface,
                                              QStringLiteral("Close")));
    m_session.clear();
}

void PortalGlobalShortcuts::giveUp(HotkeyState state, const QString& why) {
    qCWarning(lcHotkeys).noquote()
        << why + QStringLiteral("; bind quillet's commands in the desktop's settings instead");
    stopAwaiting();
    m_step = Step::idle;
    if (state == HotkeyState::unavailable && m_portal == Portal::probing)
        m_portal = Portal::missing;
    reportAll(state);
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

QString PortalGlobalShortcuts::requestPath(const QString& token) const {
    // The portal's documented request path: our unique name without ':' and with '.' as '_'.
    QString sender = m_bus.baseService();
    sender.remove(0, sender.startsWith(u':') ? 1 : 0).replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString PortalGlobalShortcuts::newToken() {
    // Unique per connection; the random part keeps a restarted program off its old paths.
    return QStringLiteral("quillet_%1_%2")
        .arg(QRandomGenerator::global()->generate())
        .arg(++m_tokenCount);
}

void PortalGlobalShortcuts::whenAnswered(const QDBusPendingCall& call,
                                         std::function<void(const QDBusMessage& reply)> done) {
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    const quint64 round = m_round;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, round, done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (round != m_round) return;
                done(finished->reply());
            });
}

std::unique_ptr<SystemHotkeys> makePortalHotkeys(QDBusConnection bus,
                                                 std::map<quint32, PortalShortcut> shortcuts) {
    return std::make_unique<PortalGlobalShortcuts>(std::move(bus), std::move(shortcuts),
                                                   PortalGlobalShortcuts::Timeouts{});
}

}  // namespace quillet
