#include "sync/FolderTransport.h"

#include <QSettings>

#include "base/Logging.h"

namespace quillet {

FolderTransport::FolderTransport(SyncthingClient::Options options, QObject* parent)
    : SyncTransport(parent), m_client(new SyncthingClient(std::move(options))) {
    m_thread.setObjectName(QStringLiteral("quillet-sync-transport"));
    m_client->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_client, &QObject::deleteLater);
    connect(m_client, &SyncthingClient::mayHaveArrived, this, &SyncTransport::mayHaveArrived);
    connect(m_client, &SyncthingClient::problemChanged, this, &FolderTransport::showProblem);
    connect(m_client, &SyncthingClient::followingDaemonChanged, this, [this](bool following) {
        m_following = following;
        emit followingDaemonChanged(following);
    });
    m_thread.start();
}

FolderTransport::~FolderTransport() {
    // The client only ever waits in its event loop: it ends at once.
    m_thread.quit();
    m_thread.wait();
}

SyncthingClient::Options FolderTransport::optionsFrom(const QSettings& settings) {
    SyncthingClient::Options options;
    options.urlOverride = settings.value(QStringLiteral("sync/syncthingUrl")).toString().trimmed();
    options.keyOverride =
        settings.value(QStringLiteral("sync/syncthingApiKey")).toString().trimmed().toUtf8();
    return options;
}

void FolderTransport::start(const QString& folder, const QString& ownFolder) {
    QMetaObject::invokeMethod(
        m_client, [client = m_client, folder, ownFolder] { client->start(folder, ownFolder); });
}

void FolderTransport::stop() {
    QMetaObject::invokeMethod(m_client, [client = m_client] { client->stop(); });
}

void FolderTransport::segmentWritten(const QString& path) {
    QMetaObject::invokeMethod(m_client,
                              [client = m_client, path] { client->segmentWritten(path); });
}

void FolderTransport::showProblem(SyncthingClient::Problem problem, const QString& detail) {
    switch (problem) {
        case SyncthingClient::Problem::none:
            m_problem.clear();
            break;
        case SyncthingClient::Problem::folderNotShared:
            //% "Syncthing runs but does not share %1. Add that folder (or one holding it) in "
            //% "Syncthing and share it with your other computers."
            m_problem = qtTrId("SYNC_FOLDER_NOT_SHARED").arg(detail);
            break;
        case SyncthingClient::Problem::keyRejected:
            //% "Syncthing refused Quillet's API key from %1. Set sync/syncthingApiKey in "
            //% "quillet.ini to the key shown in Syncthing's settings."
            m_problem = qtTrId("SYNC_KEY_REJECTED").arg(detail);
            break;
    }
    emit problemChanged(m_problem);
}

}  // namespace quillet
