#include "store/HeldChanges.h"

#include <QFile>
#include <QFileInfo>

#include "base/Logging.h"
#include "store/StorageContext.h"

namespace quillet {

HeldChanges::HeldChanges(StorageContext& context, QString recoveryPath, QObject* parent)
    : QObject(parent), m_context(context), m_path(std::move(recoveryPath)) {
    connect(&context, &StorageContext::saveFailed, this, &HeldChanges::onSaveFailed);
    connect(&context, &StorageContext::didSave, this, &HeldChanges::onSaved);
}

QString HeldChanges::pathBeside(const QString& storePath) {
    return QFileInfo(storePath).absolutePath() + QStringLiteral("/held-changes.jsonl");
}

qsizetype HeldChanges::pendingCount() const {
    return m_context.pendingCount();
}

HeldChanges::Restored HeldChanges::restore() {
    Restored restored;
    if (!QFileInfo::exists(m_path)) return restored;
    restored.found = true;
    restored.replay = RecoveryFile::replay(m_path, m_context);
    const RecoveryFile::Replay& replay = restored.replay;
    const bool damaged = replay.unreadable || !replay.problems.isEmpty();
    if (damaged) {
        // Kept for the user to look at: it may hold clips this version cannot read.
        restored.setAsideAs = setAside();
        qCWarning(lcStore).noquote()
            << QStringLiteral("%1 is damaged (%2); kept as %3")
                   .arg(m_path, replay.problems.mid(0, 5).join("; "),
                        restored.setAsideAs.isEmpty() ? m_path : restored.setAsideAs);
    }
    qCInfo(lcStore).noquote() << QStringLiteral("replayed %1: %2 changes, %3 already stored")
                                     .arg(m_path, QString::number(replay.applied),
                                          QString::number(replay.alreadyThere));
    if (m_context.hasChanges()) {
        // On failure the changes stay pending and the failed save rewrites the file.
        restored.saved = m_context.save(&restored.saveError);
        if (!restored.saved) return restored;
    }
    restored.saved = true;
    // A damaged file that could not be set aside stays where it is rather than go.
    if (!damaged && QFileInfo::exists(m_path) && !QFile::remove(m_path))
        qCWarning(lcStore) << "cannot remove" << m_path << "after replaying it";
    return restored;
}

HeldChanges::Outcome HeldChanges::secure() {
    Outcome outcome;
    if (!m_context.hasChanges()) return outcome;
    // The copy comes first: a failing save on a full disk may take the last free bytes.
    const bool copied = writeCopy();
    QString error;
    if (m_context.save(&error)) return outcome;
    // A held context (a large clip still being written) fails without saying why.
    if (error.isEmpty()) error = QStringLiteral("the store is busy writing another clip");
    // A failed save leaves the same changes pending: the first copy holds them all, even if
    // rewriting it after the failure found no room.
    if (copied) m_copyError.clear();
    outcome.changes = m_context.pendingCount();
    for (const auto& record : m_context.pendingInserts())
        if (record->entity() == Record::Entity::Clip) ++outcome.newClips;
    outcome.saveError = error;
    outcome.copyError = m_copyError;
    if (m_copyError.isEmpty()) {
        outcome.safety = Safety::KeptInFile;
        qCWarning(lcStore).noquote()
            << QStringLiteral("%1 changes could not be saved (%2); kept in %3 until the next start")
                   .arg(outcome.changes)
                   .arg(error, m_path);
    } else {
        outcome.safety = Safety::Lost;
        qCCritical(lcStore).noquote()
            << QStringLiteral(
                   "%1 changes (%2 new clips) are lost: saving them failed (%3) and so "
                   "did keeping them in %4 (%5)")
                   .arg(outcome.changes)
                   .arg(outcome.newClips)
                   .arg(error, m_path, m_copyError);
    }
    return outcome;
}

void HeldChanges::onSaveFailed(const QString& reason) {
    if (!m_failingSince.isValid()) m_failingSince = QDateTime::currentDateTime();
    m_saveError = reason;
    writeCopy();
}

void HeldChanges::onSaved() {
    m_failingSince = QDateTime();
    m_saveError.clear();
    if (m_context.hasChanges()) return;  // the next save, or failure, deals with the file
    m_copyError.clear();
    if (QFileInfo::exists(m_path) && !QFile::remove(m_path))
        qCWarning(lcStore) << "cannot remove" << m_path << "though its changes are saved";
}

bool HeldChanges::writeCopy() {
    const QByteArray data = RecoveryFile::encode(m_context);
    QString error;
    if (data.isEmpty() ? (!QFileInfo::exists(m_path) || QFile::remove(m_path))
                       : RecoveryFile::write(m_path, data, &error)) {
        m_copyError.clear();
        return true;
    }
    if (error.isEmpty()) error = QStringLiteral("cannot remove the file");
    // Said once per reason: while the disk stays full, every copy would say it again.
    if (m_copyError != error)
        qCWarning(lcStore).noquote() << QStringLiteral("cannot keep %1 unsaved changes in %2: %3")
                                            .arg(m_context.pendingCount())
                                            .arg(m_path, error);
    m_copyError = error;
    return false;
}

QString HeldChanges::setAside() {
    const QString stem =
        m_path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    // Never over an earlier one: each may hold something of its own.
    QString aside = stem;
    for (int n = 1; QFileInfo::exists(aside) && n < 100; ++n)
        aside = stem + QStringLiteral("-%1").arg(n);
    if (QFile::rename(m_path, aside)) return aside;
    qCWarning(lcStore) << "cannot set" << m_path << "aside as" << aside;
    return {};
}

}  // namespace quillet
