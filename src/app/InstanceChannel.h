#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace quillet {

// One Quillet per user: the running instance holds a lock in the user's runtime folder and
// listens on a local socket there (readable by the user alone) for commands such as
// "history-menu" from `quillet --history-menu`.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(const QString& command)>;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the lock and starts listening; false when another instance holds it.
    bool claim(QString* error);
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // From a second process: delivers `command` to the running instance. Returns false when
    // none runs or it refused; `reply` receives its answer.
    static bool send(const QString& command, QString* reply, int timeoutMs = 3000);

    static QString runtimeFolder();
    static QString socketPath();

private:
    void onConnection();

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    Handler m_handler;
};

}  // namespace quillet
