#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <functional>

class QDBusMessage;

namespace quillet {

namespace portal {
inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
inline const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// Longer object paths than any portal names are refused.
constexpr int maxPathLength = 1024;

// The path a portal's object argument names, or empty when it is not a sound object path.
QString objectPath(const QVariant& value);
}  // namespace portal

// The outcome of one portal request (a method that answers later with a Response signal).
struct PortalAnswer {
    enum class Kind {
        response,  // `code` and `results` hold the Response (0 granted, 1 cancelled, 2 other)
        error,     // the method failed; `error` says how
        timeout,   // no Response in time; a late one still follows as `response`
    };
    Kind kind = Kind::error;
    uint code = 2;
    QVariantMap results;
    QString error;
};

// One open request of PortalRequests: listens on its path until the Response, a failed
// call, or abandonment.
class PortalPendingRequest final : public QObject {
    Q_OBJECT
public:
    PortalPendingRequest(QDBusConnection bus, int timeoutMs,
                         std::function<void(const PortalAnswer&)> done, QObject* parent);
    ~PortalPendingRequest() override;

    // Listening before asking: the answer may come right behind the method's reply.
    void listen(const QString& path);
    void failed(const QDBusMessage& reply);
    // Hears nothing more; gone once the event loop is back.
    void drop();

private slots:
    void onResponse(const QDBusMessage& message);

private:
    void finish(const PortalAnswer& answer, bool last);

    QDBusConnection m_bus;
    std::function<void(const PortalAnswer&)> m_done;
    QString m_path;
    QTimer m_timer;
};

// The request/response dance of the desktop portals, for every backend that talks to them:
// a handle_token in the options, the Response awaited on the documented request path (or on
// the one the method returns) with a time-out, answers type-checked. Nothing here waits on
// the bus. Abandoning drops every request still open, so stale answers never arrive.
class PortalRequests final : public QObject {
    Q_OBJECT
public:
    PortalRequests(QDBusConnection bus, int callTimeoutMs, QObject* parent = nullptr);
    ~PortalRequests() override;

    // Calls `message`, whose argument at `optionsIndex` is its options map (handle_token is
    // added), and runs `done` with the answer; after a timeout, a late Response runs it again.
    void request(QDBusMessage message, int optionsIndex, int responseTimeoutMs,
                 std::function<void(const PortalAnswer&)> done);
    // Calls a method that answers at once; `done` gets the reply or the error message.
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> done);
    void abandonAll();

    // A token unique on this connection; the random part keeps a restarted program off its
    // old paths.
    QString newToken();
    QDBusConnection& bus() { return m_bus; }

private:
    QString requestPath(const QString& token) const;

    QDBusConnection m_bus;
    int m_callTimeoutMs;
    quint64 m_tokenCount = 0;
    quint64 m_generation = 0;  // raised by abandonAll; calls of an older one are dropped
};

}  // namespace quillet
