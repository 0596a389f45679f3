#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QLocalSocket;

namespace quillet {

// One Quillet per user: the running instance holds a lock in the user's runtime folder and
// listens on a local socket there (readable by the user alone) for commands such as
// "history-menu" from `quillet --history-menu`.
//
// What arrives on the socket is bounded: a few connections at a time (a new one pushes out
// the oldest, so idle clients can't lock the others out), a short line each, a short time
// to send it. The listener is re-created if it closes (Qt closes it when accept
// fails, for instance when descriptors run out) or its file is removed.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // The answer to a command carried out: the (possibly empty) lines that follow its "ok"
    // line, or with `failed` its "failed" line (done, but something went wrong that the
    // client must report).
    struct Reply {
        Reply(QString details = {}, bool failed = false)
            : details(std::move(details)), failed(failed) {}
        QString details;
        bool failed;
    };
    // Nullopt refuses the command.
    using Handler = std::function<std::optional<Reply>(const QString& command)>;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the lock and starts listening; false when another instance holds it.
    bool claim(QString* error);
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    static QString runtimeFolder();
    static QString socketPath();
    static QString lockPath();
    // The process holding the instance lock, if one is alive: lets a client tell "not
    // running" from "running but not answering".
    static std::optional<qint64> lockHolder();

    static constexpr int maxConnections = 8;
    static constexpr int idleTimeoutMs = 2000;
    static constexpr qint64 maxRequestBytes = 256;

private:
    void onConnection();
    void serve(QLocalSocket* socket);
    bool listen(QString* error);
    void checkListener();

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    QTimer m_watch;
    std::deque<QPointer<QLocalSocket>> m_clients;  // oldest first
    Handler m_handler;
};

}  // namespace quillet
