#pragma once

#include <QString>
#include <QTimer>
#include <functional>

#include "sync/SyncKeyStore.h"

namespace QKeychain {
class Job;
}

namespace quillet {

// The sync key in the desktop's keyring (Secret Service or KWallet, through QtKeychain); where
// none answers within a few seconds, in a private file instead (see SyncKeyFile), with a
// warning. A keyring that answers late is not waited for: its answer is dropped.
class KeyringKeyStore : public SyncKeyStore {
    Q_OBJECT
public:
    struct Options {
        QString service = QStringLiteral("quillet");  // the keyring entry's service name
        QString filePath;                             // empty: SyncKeyFile::defaultPath()
        int timeoutMs = 4000;
    };

    explicit KeyringKeyStore(QObject* parent = nullptr);
    explicit KeyringKeyStore(Options options, QObject* parent = nullptr);
    ~KeyringKeyStore() override;

    void load() override;
    void save(const QByteArray& key) override;
    void remove() override;
    bool keptInFile() const override { return m_inFile; }

private:
    enum class Outcome { done, notFound, noKeyring };
    using Then = std::function<void(Outcome, QKeychain::Job*)>;
    // Starts `job`; `then` runs once, when it ends or when the time-out passes.
    void run(QKeychain::Job* job, Then then);
    void loadFromFile();
    void saveToFile(const QByteArray& key, const QString& keyringError);
    void warnNoKeyring(const QString& why);

    Options m_options;
    bool m_inFile = false;
    bool m_warned = false;
    quint64 m_request = 0;  // answers to an earlier request are dropped
};

}  // namespace quillet
