#pragma once

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <QUrl>
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
// What arrives on the socket is bounded: a few connections at a time, a short line each, a
// short time to send it. Connections beyond that wait in the kernel's listen queue rather than
// being cut: a request that arrived is always answered, and only a connection that has sent
// no whole line for a while makes room for a waiting one. The channel accepts by itself so
// that it can stop accepting while descriptors run short (Qt would close the listener, and
// GLib aborts the program when it cannot make a wake-up pipe). The listener is re-created if
// its file is removed or replaced.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // The answer to a command carried out: the (possibly empty) lines that follow its "ok"
    // line, or with `failed` its "failed" line (done, but something went wrong that the
    // client must report).
    // A value in a request line (a path, a name, a code), percent-encoded so that the line
    // stays one line of words whatever it holds, and read back.
    static QString encodedValue(const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    }
    static QString decodedValue(const QString& word) {
        return QUrl::fromPercentEncoding(word.toLatin1());
    }

    struct Reply {
        Reply(QString details = {}, bool failed = false)
            : details(std::move(details)), failed(failed) {}
        QString details;
        bool failed;
    };
    // Sends the answer of a request answered later; does nothing once the client has gone.
    using Respond = std::function<void(const Reply& reply)>;
    // Nullopt refuses the command.
    using Handler = std::function<std::optional<Reply>(const QString& command)>;
    // A command whose outcome comes later (turning sync on waits for the keyring, an import
    // for its file): the handler takes it by returning the milliseconds within which it
    // calls `respond`, once; past that the client is told it timed out. Zero: not such a
    // command, the plain handler has it.
    using DeferredHandler = std::function<int(const QString& command, Respond respond)>;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the lock and starts listening; false when another instance holds it.
    bool claim(QString* error);
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    void setDeferredHandler(DeferredHandler handler) { m_deferredHandler = std::move(handler); }

    static QString runtimeFolder();
    static QString socketPath();
    static QString lockPath();
    // The process holding the instance lock, if one is alive: lets a client tell "not
    // running" from "running but not answering".
    static std::optional<qint64> lockHolder();

    static constexpr int maxConnections = 64;
    static constexpr int idleTimeoutMs = 2000;
    // A connection without a whole line this long may be cut when others wait.
    static constexpr int graceMs = 50;
    // Room for two file paths, percent-encoded (or a folder and a pairing code).
    static constexpr qint64 maxRequestBytes = 16 * 1024;
    // What turning sync on or off may take.
    static constexpr int deferredTimeoutMs = 30000;
    // The kernel caps it (net.core.somaxconn); a burst of clients waits there, not in memory
    // of ours.
    static constexpr int listenBacklog = 4096;
    // How often the socket file is looked at: an idle program wakes up no more than this.
    static constexpr int listenerCheckMs = 10000;

private:
    struct Client {
        QPointer<QLocalSocket> socket;
        QElapsedTimer age;
    };

    void acceptWaiting();
    void serve(QLocalSocket* socket);
    void release(QLocalSocket* socket);
    bool deferred(QLocalSocket* socket, const QString& command,
                  const std::function<void(const Reply&)>& replyWith);
    bool makeRoom();
    void pauseAccepting(int ms);
    bool listen(QString* error);
    void closeListener();
    void checkListener();
    static QString lockPathIn(const QString& folder);
    static QString socketPathIn(const QString& folder);

    std::unique_ptr<QLockFile> m_lock;
    QString m_socketPath;  // where this run listens
    int m_listenFd = -1;
    quint64 m_listenInode = 0;  // tells our socket file from one put in its place
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_resume;  // accepting again after a pause for descriptors
    QTimer m_grace;   // accepting again once a connection without a line may be cut
    QTimer m_watch;
    bool m_shortOfDescriptors = false;  // warned once per shortage
    std::deque<Client> m_clients;       // without an answer yet, oldest first
    Handler m_handler;
    DeferredHandler m_deferredHandler;
};

}  // namespace quillet
