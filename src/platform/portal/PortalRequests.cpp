#include "platform/portal/PortalRequests.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QRandomGenerator>

namespace quillet {

QString portal::objectPath(const QVariant& value) {
    QString text;
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        text = value.value<QDBusObjectPath>().path();
    else if (value.metaType() == QMetaType::fromType<QString>())
        text = value.toString();  // some portals name sessions with a string
    if (text.size() > maxPathLength || QDBusObjectPath(text).path().isEmpty()) return {};
    return text;
}

PortalPendingRequest::PortalPendingRequest(QDBusConnection bus, int timeoutMs,
                                           std::function<void(const PortalAnswer&)> done,
                                           QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_done(std::move(done)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        finish({PortalAnswer::Kind::timeout, 2, {}, QString()}, false);
    });
    m_timer.start(timeoutMs);
}

PortalPendingRequest::~PortalPendingRequest() {
    listen(QString());
}

void PortalPendingRequest::listen(const QString& path) {
    if (path == m_path) return;
    if (!m_path.isEmpty())
        m_bus.disconnect(portal::service, m_path, portal::requestInterface,
                         QStringLiteral("Response"), this, SLOT(onResponse(QDBusMessage)));
    m_path = path;
    if (!m_path.isEmpty())
        m_bus.connect(portal::service, m_path, portal::requestInterface, QStringLiteral("Response"),
                      this, SLOT(onResponse(QDBusMessage)));
}

void PortalPendingRequest::failed(const QDBusMessage& reply) {
    finish({PortalAnswer::Kind::error,
            2,
            {},
            QStringLiteral("%1: %2").arg(reply.errorName(), reply.errorMessage().left(160))},
           true);
}

void PortalPendingRequest::drop() {
    m_timer.stop();
    listen(QString());
    m_done = nullptr;
    deleteLater();
}

void PortalPendingRequest::onResponse(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (message.signature() != QLatin1String("ua{sv}") || arguments.size() != 2) return;
    finish({PortalAnswer::Kind::response, arguments.at(0).toUInt(),
            qdbus_cast<QVariantMap>(arguments.at(1)), QString()},
           true);
}

void PortalPendingRequest::finish(const PortalAnswer& answer, bool last) {
    m_timer.stop();
    // Copied: `done` may abandon every request, this one included.
    const auto done = m_done;
    if (last) drop();
    if (done) done(answer);
}

PortalRequests::PortalRequests(QDBusConnection bus, int callTimeoutMs, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_callTimeoutMs(callTimeoutMs) {}

PortalRequests::~PortalRequests() {
    // While the connection member still exists: each one stops listening on it.
    qDeleteAll(findChildren<PortalPendingRequest*>(Qt::FindDirectChildrenOnly));
}

void PortalRequests::request(QDBusMessage message, int optionsIndex, int responseTimeoutMs,
                             std::function<void(const PortalAnswer&)> done) {
    const QString token = newToken();
    QList<QVariant> arguments = message.arguments();
    QVariantMap options = arguments.value(optionsIndex).toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments[optionsIndex] = options;
    message.setArguments(arguments);

    auto* pending = new PortalPendingRequest(m_bus, responseTimeoutMs, std::move(done), this);
    pending->listen(requestPath(token));
    QPointer<PortalPendingRequest> guard(pending);
    call(message, [guard](const QDBusMessage& reply) {
        if (!guard) return;
        if (reply.type() == QDBusMessage::ErrorMessage) {
            guard->failed(reply);
            return;
        }
        // Portals before the handle_token convention answer on a path of their own choosing.
        const QString handle = portal::objectPath(reply.arguments().value(0));
        if (!handle.isEmpty()) guard->listen(handle);
    });
}

void PortalRequests::call(const QDBusMessage& message,
                          std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, m_callTimeoutMs), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation, done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (generation == m_generation && done) done(finished->reply());
            });
}

void PortalRequests::abandonAll() {
    ++m_generation;
    for (PortalPendingRequest* pending :
         findChildren<PortalPendingRequest*>(Qt::FindDirectChildrenOnly))
        pending->drop();
}

QString PortalRequests::newToken() {
    return QStringLiteral("quillet_%1_%2")
        .arg(QRandomGenerator::global()->generate())
        .arg(++m_tokenCount);
}

QString PortalRequests::requestPath(const QString& token) const {
    // The documented request path: our unique name without ':' and with '.' as '_'.
    QString sender = m_bus.baseService();
    sender.remove(0, sender.startsWith(u':') ? 1 : 0).replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

}  // namespace quillet
