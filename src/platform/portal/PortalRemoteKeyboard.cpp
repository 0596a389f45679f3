#include "platform/portal/PortalRemoteKeyboard.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QList>

#include "base/KeyTable.h"
#include "base/Logging.h"
#include "platform/portal/PortalRegistration.h"
#include "platform/portal/PortalRequests.h"

namespace quillet {

namespace {

const QString remoteInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

// The evdev codes of the flags' modifier keys, in pressing order.
QList<quint32> modifierKeys(quint64 flags) {
    QList<quint32> keys;
    for (const KeyModifier* modifier : KeyTable::modifiersIn(flags))
        keys.append(KeyTable::modifierKey(*modifier).evdev);
    return keys;
}

}  // namespace

PortalRemoteKeyboard::PortalRemoteKeyboard(QDBusConnection bus,
                                           std::shared_ptr<PortalRegistration> registration,
                                           RestoreTokenStore tokens, Timeouts timeouts,
                                           QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_registration(std::move(registration)),
      m_requests(std::make_unique<PortalRequests>(m_bus, timeouts.callMs)),
      m_tokens(std::move(tokens)),
      m_timeouts(timeouts) {
    if (!m_bus.isConnected()) {
        fail(State::unavailable, QStringLiteral("no session bus"));
        return;
    }
    // A portal that ends takes our session with it, without a Closed signal.
    auto* watcher = new QDBusServiceWatcher(portal::service, m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                m_registration->portalOwnerChanged(owner);
                if (m_state == State::unavailable || m_state == State::refused) return;
                m_requests->abandonAll();
                m_session.clear();
                fail(State::ended, QStringLiteral("the desktop portal restarted"));
            });
    m_registration->whenRegistered(this, [this] { probe(); });
}

PortalRemoteKeyboard::~PortalRemoteKeyboard() {
    closeSession();
}

void PortalRemoteKeyboard::probe() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        portal::service, portal::path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    get << remoteInterface;
    m_requests->call(get, [this](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            fail(State::unavailable, QStringLiteral("the desktop has no RemoteDesktop portal (%1)")
                                         .arg(reply.errorName()));
            return;
        }
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        const QVariant version = properties.value(QStringLiteral("version"));
        const QVariant devices = properties.value(QStringLiteral("AvailableDeviceTypes"));
        m_version = version.metaType() == QMetaType::fromType<uint>() ? version.toUInt() : 0;
        if (m_version < 1) {
            fail(State::unavailable, QStringLiteral("the desktop's RemoteDesktop portal has no "
                                                    "usable version"));
            return;
        }
        // Absent in some implementations: then the keyboard is asked for all the same.
        if (devices.metaType() == QMetaType::fromType<uint>() &&
            !(devices.toUInt() & keyboardDevice)) {
            fail(State::unavailable,
                 QStringLiteral("the desktop's RemoteDesktop portal offers no keyboard"));
            return;
        }
        createSession();
    });
}

void PortalRemoteKeyboard::createSession() {
    setState(State::opening);
    QDBusMessage create = QDBusMessage::createMethodCall(
        portal::service, portal::path, remoteInterface, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("session_handle_token"), m_requests->newToken()}};
    m_requests->request(create, 0, m_timeouts.stepMs, [this](const PortalAnswer& answer) {
        if (answer.kind != PortalAnswer::Kind::response || answer.code != 0) {
            fail(answer.code == 1 ? State::refused : State::unavailable,
                 QStringLiteral("the desktop did not open a remote-desktop session (%1)")
                     .arg(answer.kind == PortalAnswer::Kind::timeout ? QStringLiteral("no answer")
                          : answer.error.isEmpty() ? QStringLiteral("answer %1").arg(answer.code)
                                                   : answer.error));
            return;
        }
        m_session = portal::objectPath(answer.results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            fail(State::unavailable, QStringLiteral("the desktop named no usable session"));
            return;
        }
        m_bus.connect(portal::service, m_session, portal::sessionInterface,
                      QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
        selectDevices();
    });
}

void PortalRemoteKeyboard::selectDevices() {
    QVariantMap options{{QStringLiteral("types"), keyboardDevice}};
    if (m_version >= persistingVersion) {
        // Remembered until the user revokes it: the next run asks nobody.
        options.insert(QStringLiteral("persist_mode"), persistUntilRevoked);
        const QString token = m_tokens.load ? m_tokens.load() : QString();
        if (!token.isEmpty() && token.size() <= maxTokenLength)
            options.insert(QStringLiteral("restore_token"), token);
    }
    QDBusMessage select = QDBusMessage::createMethodCall(
        portal::service, portal::path, remoteInterface, QStringLiteral("SelectDevices"));
    select << QVariant::fromValue(QDBusObjectPath(m_session)) << options;
    m_requests->request(select, 1, m_timeouts.stepMs, [this](const PortalAnswer& answer) {
        if (answer.kind != PortalAnswer::Kind::response || answer.code != 0) {
            fail(answer.code == 1 ? State::refused : State::unavailable,
                 QStringLiteral("the desktop did not give a keyboard (%1)")
                     .arg(answer.error.isEmpty() ? QStringLiteral("answer %1").arg(answer.code)
                                                 : answer.error));
            return;
        }
        start();
    });
}

void PortalRemoteKeyboard::start() {
    setState(State::awaitingUser);
    qCInfo(lcPaste) << "asking the desktop to allow automatic paste (RemoteDesktop portal)";
    QDBusMessage startCall = QDBusMessage::createMethodCall(
        portal::service, portal::path, remoteInterface, QStringLiteral("Start"));
    startCall << QVariant::fromValue(QDBusObjectPath(m_session)) << QString() << QVariantMap();
    m_requests->request(startCall, 2, m_timeouts.approvalMs, [this](const PortalAnswer& answer) {
        if (answer.kind == PortalAnswer::Kind::timeout) {
            // Still listening: a dialog left open is answered when the user comes back.
            qCWarning(lcPaste) << "the desktop has not answered whether Quillet may paste; "
                                  "chosen texts stay on the clipboard meanwhile";
            setState(State::unanswered);
            return;
        }
        if (answer.kind == PortalAnswer::Kind::error || answer.code != 0) {
            fail(answer.code == 1 ? State::refused : State::unavailable,
                 answer.code == 1 ? QStringLiteral("automatic paste was not allowed")
                                  : QStringLiteral("the desktop did not start the session (%1)")
                                        .arg(answer.error.isEmpty()
                                                 ? QStringLiteral("answer %1").arg(answer.code)
                                                 : answer.error));
            return;
        }
        const QVariant devices = answer.results.value(QStringLiteral("devices"));
        if (devices.isValid() && !(devices.toUInt() & keyboardDevice)) {
            fail(State::refused, QStringLiteral("the desktop allowed no keyboard"));
            return;
        }
        const QString token = answer.results.value(QStringLiteral("restore_token")).toString();
        if (!token.isEmpty() && token.size() <= maxTokenLength && m_tokens.save)
            m_tokens.save(token);
        qCInfo(lcPaste) << "automatic paste allowed by the desktop (RemoteDesktop portal)";
        setState(State::ready);
    });
}

void PortalRemoteKeyboard::postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) {
    if (!isTrusted()) return;
    const std::optional<quint32> key = KeyTable::evdevCode(virtualKeyCode);
    if (!key) {
        qCWarning(lcPaste) << "no key for virtual key code" << virtualKeyCode;
        return;
    }
    const QList<quint32> modifiers = modifierKeys(flags);
    if (keyDown) {
        for (const quint32 modifier : modifiers) sendKeycode(modifier, true);
        sendKeycode(*key, true);
    } else {
        sendKeycode(*key, false);
        for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it) sendKeycode(*it, false);
    }
}

void PortalRemoteKeyboard::sendKeycode(quint32 code, bool down) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        portal::service, portal::path, remoteInterface, QStringLiteral("NotifyKeyboardKeycode"));
    notify << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap() << int(code)
           << uint(down ? 1 : 0);
    // Not awaited: each reply only says whether the key went through.
    m_requests->call(notify, [this](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ErrorMessage || m_sendFailed) return;
        m_sendFailed = true;
        qCWarning(lcPaste).noquote() << QStringLiteral("the desktop refused a key event (%1: %2)")
                                            .arg(reply.errorName(), reply.errorMessage().left(160));
    });
}

void PortalRemoteKeyboard::onSessionClosed(const QDBusMessage& message) {
    if (message.path() != m_session) return;
    m_bus.disconnect(portal::service, m_session, portal::sessionInterface, QStringLiteral("Closed"),
                     this, SLOT(onSessionClosed(QDBusMessage)));
    m_session.clear();
    m_requests->abandonAll();
    fail(State::ended, QStringLiteral("the desktop ended the remote-desktop session"));
}

void PortalRemoteKeyboard::fail(State state, const QString& why) {
    qCWarning(lcPaste).noquote()
        << why + QStringLiteral("; automatic paste is off, chosen texts stay on the clipboard");
    setState(state);
}

void PortalRemoteKeyboard::setState(State state) {
    m_state = state;
}

void PortalRemoteKeyboard::closeSession() {
    if (m_session.isEmpty()) return;
    m_bus.disconnect(portal::service, m_session, portal::sessionInterface, QStringLiteral("Closed"),
                     this, SLOT(onSessionClosed(QDBusMessage)));
    m_bus.send(QDBusMessage::createMethodCall(portal::service, m_session, portal::sessionInterface,
                                              QStringLiteral("Close")));
    m_session.clear();
}

QString PortalRemoteKeyboard::statusText() const {
    switch (m_state) {
        case State::probing:
        case State::opening:
            //% "remote desktop portal: opening a session"
            return qtTrId("STATUS_REMOTE_DESKTOP_OPENING");
        case State::awaitingUser:
        case State::unanswered:
            //% "remote desktop portal: waiting for you to allow it in the desktop's dialog; "
            //% "until then chosen texts stay on the clipboard"
            return qtTrId("STATUS_REMOTE_DESKTOP_PENDING");
        case State::ready:
            //% "remote desktop portal (keyboard): ready, Ctrl+V in every window"
            return qtTrId("STATUS_REMOTE_DESKTOP_READY");
        case State::refused:
            //% "remote desktop portal: not allowed; chosen texts stay on the clipboard "
            //% "(restart Quillet to be asked again)"
            return qtTrId("STATUS_REMOTE_DESKTOP_REFUSED");
        case State::ended:
            //% "remote desktop portal: the desktop ended the session; chosen texts stay on "
            //% "the clipboard (restart Quillet to be asked again)"
            return qtTrId("STATUS_REMOTE_DESKTOP_ENDED");
        case State::unavailable:
            break;
    }
    //% "none (no virtual keyboard, no remote desktop portal): texts stay on the clipboard, "
    //% "with a notice"
    return qtTrId("STATUS_REMOTE_DESKTOP_UNAVAILABLE");
}

}  // namespace quillet
