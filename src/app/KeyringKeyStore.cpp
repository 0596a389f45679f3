#include "app/KeyringKeyStore.h"

#include <qt6keychain/keychain.h>

#include <QPointer>

#include "base/Logging.h"
#include "sync/SyncKeyFile.h"

namespace quillet {

namespace {

const QString kEntry = QStringLiteral("sync-key");

}  // namespace

KeyringKeyStore::KeyringKeyStore(QObject* parent) : KeyringKeyStore(Options{}, parent) {}

KeyringKeyStore::KeyringKeyStore(Options options, QObject* parent)
    : SyncKeyStore(parent), m_options(std::move(options)) {
    if (m_options.filePath.isEmpty()) m_options.filePath = SyncKeyFile::defaultPath();
}

KeyringKeyStore::~KeyringKeyStore() = default;

void KeyringKeyStore::run(QKeychain::Job* job, Then then) {
    const quint64 request = ++m_request;
    job->setAutoDelete(true);
    auto answered = std::make_shared<bool>(false);
    auto finish = [this, request, answered, then](Outcome outcome, QKeychain::Job* job) {
        if (*answered || request != m_request) return;
        *answered = true;
        then(outcome, job);
    };
    connect(job, &QKeychain::Job::finished, this, [finish](QKeychain::Job* job) {
        switch (job->error()) {
            case QKeychain::NoError:
                finish(Outcome::done, job);
                break;
            case QKeychain::EntryNotFound:
                finish(Outcome::notFound, job);
                break;
            default:
                finish(Outcome::noKeyring, job);
        }
    });
    // A keyring that asks the user to unlock it may take long; one that hangs, for ever.
    QTimer::singleShot(m_options.timeoutMs, this,
                       [finish] { finish(Outcome::noKeyring, nullptr); });
    job->start();
}

void KeyringKeyStore::warnNoKeyring(const QString& why) {
    if (m_warned) return;
    m_warned = true;
    qCWarning(lcSync).noquote() << "no keyring answers (" + why + "); the sync key is kept in"
                                << m_options.filePath << "(readable by you alone)";
}

void KeyringKeyStore::load() {
    auto* job = new QKeychain::ReadPasswordJob(m_options.service);
    job->setKey(kEntry);
    run(job, [this](Outcome outcome, QKeychain::Job* job) {
        if (outcome == Outcome::done) {
            const QByteArray key = static_cast<QKeychain::ReadPasswordJob*>(job)->binaryData();
            if (key.size() == SyncKeyFile::keyBytes) {
                m_inFile = false;
                emit loaded(key);
                return;
            }
            qCWarning(lcSync) << "the keyring's sync key has" << key.size() << "bytes; ignored";
        }
        if (outcome == Outcome::noKeyring)
            warnNoKeyring(job ? job->errorString() : QStringLiteral("no answer in time"));
        loadFromFile();
    });
}

void KeyringKeyStore::loadFromFile() {
    QString why;
    const std::optional<QByteArray> key = SyncKeyFile::read(m_options.filePath, &why);
    if (!key) {
        qCWarning(lcSync).noquote() << why;
        //% "The sync key in %1 cannot be read. Turn sync off and join again with the pairing code."
        emit failed(qtTrId("SYNC_KEY_FILE_UNREADABLE").arg(m_options.filePath));
        return;
    }
    m_inFile = !key->isEmpty();
    emit loaded(*key);
}

void KeyringKeyStore::save(const QByteArray& key) {
    auto* job = new QKeychain::WritePasswordJob(m_options.service);
    job->setKey(kEntry);
    job->setBinaryData(key);
    run(job, [this, key](Outcome outcome, QKeychain::Job* job) {
        if (outcome != Outcome::done) {
            saveToFile(key, job ? job->errorString() : QStringLiteral("no answer in time"));
            return;
        }
        // The key lives in the keyring now; an old copy on disk goes.
        QString why;
        if (!SyncKeyFile::remove(m_options.filePath, &why)) qCWarning(lcSync).noquote() << why;
        m_inFile = false;
        emit saved();
    });
}

void KeyringKeyStore::saveToFile(const QByteArray& key, const QString& keyringError) {
    warnNoKeyring(keyringError);
    QString why;
    if (!SyncKeyFile::write(m_options.filePath, key, &why)) {
        qCWarning(lcSync).noquote() << why;
        //% "The sync key could not be kept: no keyring answered and %1 cannot be written."
        emit failed(qtTrId("SYNC_KEY_NOT_KEPT").arg(m_options.filePath));
        return;
    }
    m_inFile = true;
    emit saved();
}

void KeyringKeyStore::remove() {
    auto* job = new QKeychain::DeletePasswordJob(m_options.service);
    job->setKey(kEntry);
    run(job, [this](Outcome outcome, QKeychain::Job* job) {
        if (outcome == Outcome::noKeyring)
            qCInfo(lcSync).noquote() << "the keyring did not remove the sync key:"
                                     << (job ? job->errorString() : QStringLiteral("no answer"));
        QString why;
        if (!SyncKeyFile::remove(m_options.filePath, &why)) {
            qCWarning(lcSync).noquote() << why;
            //% "The sync key in %1 could not be removed; delete the file yourself."
            emit failed(qtTrId("SYNC_KEY_NOT_REMOVED").arg(m_options.filePath));
            return;
        }
        m_inFile = false;
        emit removed();
    });
}

}  // namespace quillet
