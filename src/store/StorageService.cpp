#include "store/StorageService.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <iterator>

#include "base/Logging.h"
#include "store/CaseFolding.h"
#include "store/ClipItem.h"
#include "store/ClipWriter.h"
#include "store/PhraseCategory.h"
#include "store/SearchCursors.h"
#include "store/SqlStatement.h"
#include "store/StoreSchema.h"
#include "store/TrigramTokenizer.h"
#include "store/WalCheckpoint.h"

namespace quillet {

namespace {

// The file is made private before SQLite ever writes to it; the journal files SQLite creates
// next to it copy its permissions.
bool preparePrivateFile(const QString& path, QString* error) {
    // Modes the user set on an existing folder or file are theirs: only what we create is made
    // private here.
    const QString folder = QFileInfo(path).absolutePath();
    const bool folderExisted = QFileInfo::exists(folder);
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create folder %1").arg(folder);
        return false;
    }
    const QByteArray folderPath = QFile::encodeName(folder);
    const QByteArray filePath = QFile::encodeName(path);
    // Opening a pipe or a device in its place would wait for a writer for ever.
    struct stat status {};
    if (::stat(filePath.constData(), &status) == 0 && !S_ISREG(status.st_mode)) {
        *error = QStringLiteral("%1 is not a regular file (%2); it is left untouched")
                     .arg(path, S_ISFIFO(status.st_mode)  ? QStringLiteral("a named pipe")
                                : S_ISDIR(status.st_mode) ? QStringLiteral("a folder")
                                                          : QStringLiteral("a special file"));
        return false;
    }
    if (!folderExisted) ::chmod(folderPath.constData(), 0700);
    int fd = ::open(filePath.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);  // whatever the umask
    } else if (errno == EEXIST) {
        fd = ::open(filePath.constData(), O_RDWR | O_CLOEXEC);
    }
    if (fd < 0) {
        *error =
            QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    ::close(fd);
    return true;
}

// The newest clips examined before a text is looked up in the index, and the matches among
// them that make it a common text, which is faster to scan for (its first screenful is near)
// than to look up (the index lists every clip holding it).
// (At most a step; one in 250 is common.)
constexpr int kShortTextSample = 2000;
// Saves that move more clips than this have the order rebuilt in one pass.
constexpr size_t kMovesOneByOne = 64;
constexpr int kShortTextCommonShare = 250;

}  // namespace

void StorageService::insertClipInBackground(const QString& content, const QDateTime& timestamp) {
    if (!m_clipWriter) {
        m_clipWriter = std::make_unique<ClipWriter>(filePath());
        connect(m_clipWriter.get(), &ClipWriter::runningChanged, this, [this](bool running) {
            m_context->setHeld(running);
            if (!running && m_context->hasChanges()) m_context->save();
        });
        connect(m_clipWriter.get(), &ClipWriter::failed, m_context.get(),
                &StorageContext::saveFailed);
        connect(
            m_clipWriter.get(), &ClipWriter::written, this,
            [this](qint64 rowId, const QDateTime& timestamp) {
                // The kept order learns of the clip as of any other save.
                SaveSummary summary;
                summary.clipMoves.push_back({rowId, std::nullopt, timestamp.toMSecsSinceEpoch()});
                applySave(summary);
                emit clipWrittenInBackground();
                emit clipStoredInBackground(rowId);
            });
    }
    m_clipWriter->enqueue(content, timestamp);
}

bool StorageService::isWritingInBackground() const {
    return m_clipWriter && m_clipWriter->isBusy();
}

QString StorageService::filePath() const {
    return QString::fromUtf8(sqlite3_db_filename(m_db, "main"));
}

QString StorageService::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/history.sqlite");
}

std::unique_ptr<StorageService> StorageService::open(const QString& path, QString* error,
                                                     int busyTimeoutMs) {
    QString reason;
    if (!preparePrivateFile(path, &reason)) {
        if (error) *error = reason;
        return nullptr;
    }
    sqlite3* db = nullptr;
    const QByteArray filePath = QFile::encodeName(path);
    int rc =
        sqlite3_open_v2(filePath.constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto fail = [&](const QString& why) -> std::unique_ptr<StorageService> {
        if (error) *error = why;
        sqlite3_close(db);
        return nullptr;
    };
    if (rc != SQLITE_OK)
        return fail(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(db, busyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    if (!TrigramTokenizer::registerWith(db, &reason) || !CaseFolding::registerWith(db, &reason))
        return fail(reason);

    // Everything is checked by reading before anything is written, so a file that is not ours
    // is left exactly as it was. A file that is not a database fails on its first real read.
    qint64 objects = 0;
    qint64 version = 0;
    {
        SqlStatement check(db, "SELECT count(*) FROM sqlite_schema");
        if (check.step() != SQLITE_ROW) reason = check.error();
        objects = check.int64(0);
        SqlStatement versionQuery(db, "PRAGMA user_version");
        if (reason.isEmpty() && versionQuery.step() != SQLITE_ROW) reason = versionQuery.error();
        version = versionQuery.int64(0);
    }
    if (!reason.isEmpty()) return fail(path + QStringLiteral(": ") + reason);
    if (version > StoreSchema::version)
        return fail(QStringLiteral("%1 was written by a newer version (schema %2)")
                        .arg(path, QString::number(version)));
    if (version < 1 && objects > 0)
        return fail(QStringLiteral("%1 is a database of another program (it has tables, none of "
                                   "them ours); it is left untouched")
                        .arg(path));
    // A store whose tables are gone would lose every clip on the first migration or save.
    if (version >= 1) {
        if (const QString missing = StoreSchema::missingObjects(db, version); !missing.isEmpty())
            return fail(QStringLiteral("%1 is not a complete history: it says it is of version "
                                       "%2, but it lacks %3. It is left untouched; move it "
                                       "away to start with an empty history")
                            .arg(path, QString::number(version), missing));
    }

    if (!execSql(db,
                 "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; "
                 "PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON;",
                 &reason))
        return fail(reason);
    if (!StoreSchema::migrate(db, version, &reason))
        return fail(QStringLiteral("%1 could not be brought up to date: %2").arg(path, reason));
    auto storage = std::unique_ptr<StorageService>(new StorageService(db));
    if (!StoreSchema::retiredIndexes(db).isEmpty() || !storage->isIndexComplete())
        storage->buildIndex();
    return storage;
}

StorageService::StorageService(sqlite3* db)
    : m_db(db), m_context(std::make_unique<StorageContext>(db)) {
    connect(m_context.get(), &StorageContext::didSave, this, &StorageService::applySave);
    // One replacement per streak of failing saves: if a fresh index does not help, the damage
    // is elsewhere, and the user hears of the failing saves.
    connect(m_context.get(), &StorageContext::didSave, this, [this] { m_mayRepair = true; });
    connect(m_context.get(), &StorageContext::didSave, this, [this](const SaveSummary& summary) {
        const bool clipDeleted = std::any_of(
            summary.deleted.begin(), summary.deleted.end(),
            [](const auto& record) { return record->entity() == Record::Entity::Clip; });
        if (clipDeleted) emptyLog();
    });
    m_context->setDamageRepair([this](QString* why) {
        if (!m_mayRepair) return false;
        m_mayRepair = false;
        return replaceSearchIndex(QStringLiteral("a save failed on it"), why);
    });
}

bool StorageService::forgetClip(const std::shared_ptr<ClipItem>& clip, QString* error) {
    if (!clip || clip->isDeleted()) return false;
    m_context->remove(clip);
    // A save held back or failed keeps the deletion pending: it is written, and the log
    // emptied, by the save that succeeds.
    return m_context->save(error);
}

void StorageService::emptyLog() {
    if (!m_checkpoint) {
        m_checkpoint = std::make_unique<WalCheckpoint>(filePath());
        connect(m_checkpoint.get(), &WalCheckpoint::finished, this,
                &StorageService::logCheckpointed);
    }
    m_checkpoint->request();
}

bool StorageService::replaceSearchIndex(const QString& finding, QString* why) {
    qCWarning(lcStore) << "the search index is damaged (" << finding
                       << "); it is rebuilt in the background, searches scan meanwhile";
    m_indexBuilder.reset();  // a build under way stops after its batch; the new one resumes
    QString reason;
    if (!StoreSchema::replaceIndex(m_db, &reason)) {
        qCWarning(lcStore) << "replacing the search index failed:" << reason;
        if (why) *why = reason;
        return false;
    }
    buildIndex();
    return true;
}

void StorageService::buildIndex() {
    m_indexBuilder = std::make_unique<SearchIndexBuilder>(filePath());
    connect(m_indexBuilder.get(), &SearchIndexBuilder::progressed, this,
            &StorageService::migrationProgressChanged);
    connect(m_indexBuilder.get(), &SearchIndexBuilder::finished, this,
            &StorageService::migrationProgressChanged);
    connect(m_indexBuilder.get(), &SearchIndexBuilder::failed, this,
            &StorageService::migrationProgressChanged);
    m_indexBuilder->start();
}

SearchIndexProgress StorageService::migrationProgress() const {
    return m_indexBuilder ? m_indexBuilder->progress() : SearchIndexProgress{};
}

bool StorageService::isMigrating() const {
    return m_indexBuilder && m_indexBuilder->isRunning();
}

StorageService::~StorageService() {
    m_indexBuilder.reset();  // stops after its current batch; the next start goes on
    m_clipWriter.reset();    // waits for a long clip being written
    m_checkpoint.reset();    // stops waiting for readers
    m_context.reset();
    sqlite3_close(m_db);
}

const std::shared_ptr<std::vector<ClipOrderEntry>>& StorageService::order() {
    if (!m_order) {
        auto entries = std::make_shared<std::vector<ClipOrderEntry>>();
        SqlStatement statement(m_db, "SELECT timestamp, pk FROM ClipItem ORDER BY timestamp, pk");
        int rc;
        while ((rc = statement.step()) == SQLITE_ROW)
            entries->push_back({statement.int64(0), statement.int64(1)});
        if (rc != SQLITE_DONE)
            qCWarning(lcStore) << "reading the history order failed:" << statement.error();
        m_order = std::move(entries);
    }
    return m_order;
}

void StorageService::applySave(const SaveSummary& summary) {
    if (!m_order || summary.clipMoves.empty()) return;
    // The common case, new copies stamped now: they go after every entry.
    const bool appendsOnly =
        std::all_of(summary.clipMoves.begin(), summary.clipMoves.end(),
                    [](const ClipMove& move) { return !move.oldTimestamp && move.newTimestamp; });
    if (appendsOnly) {
        std::vector<ClipOrderEntry> added;
        for (const ClipMove& move : summary.clipMoves)
            added.push_back({*move.newTimestamp, move.rowId});
        std::sort(added.begin(), added.end());
        if (m_order->empty() || m_order->back() < added.front()) {
            m_order->insert(m_order->end(), added.begin(), added.end());
            return;
        }
    }
    if (summary.clipMoves.size() > kMovesOneByOne) return applyManyMoves(summary.clipMoves);
    // Lists handed out keep the old order; the new one is a changed copy.
    auto entries = std::make_shared<std::vector<ClipOrderEntry>>(*m_order);
    for (const ClipMove& move : summary.clipMoves) {
        if (move.oldTimestamp) {
            const ClipOrderEntry old{*move.oldTimestamp, move.rowId};
            auto it = std::lower_bound(entries->begin(), entries->end(), old);
            if (it == entries->end() || *it != old) {
                // Another connection (sync) moved the clip since it was read: the order is
                // read again on first use.
                m_order.reset();
                return;
            }
            entries->erase(it);
        }
        if (move.newTimestamp) {
            const ClipOrderEntry now{*move.newTimestamp, move.rowId};
            entries->insert(std::upper_bound(entries->begin(), entries->end(), now), now);
        }
    }
    m_order = std::move(entries);
}

void StorageService::applyManyMoves(const std::vector<ClipMove>& moves) {
    // Thousands of clips from another machine: one pass over the order instead of an insert
    // each. A clip moves once per batch here, so every old place is in the kept order.
    std::vector<ClipOrderEntry> removed;
    std::vector<ClipOrderEntry> added;
    for (const ClipMove& move : moves) {
        if (move.oldTimestamp) removed.push_back({*move.oldTimestamp, move.rowId});
        if (move.newTimestamp) added.push_back({*move.newTimestamp, move.rowId});
    }
    std::sort(removed.begin(), removed.end());
    std::sort(added.begin(), added.end());
    std::vector<ClipOrderEntry> kept;
    kept.reserve(m_order->size());
    auto gone = removed.begin();
    for (const ClipOrderEntry& entry : *m_order) {
        if (gone != removed.end() && *gone == entry) {
            ++gone;
            continue;
        }
        if (gone != removed.end() && *gone < entry) break;  // not where it was: read again
        kept.push_back(entry);
    }
    if (gone != removed.end()) {
        m_order.reset();
        return;
    }
    auto entries = std::make_shared<std::vector<ClipOrderEntry>>();
    entries->reserve(kept.size() + added.size());
    std::merge(kept.begin(), kept.end(), added.begin(), added.end(), std::back_inserter(*entries));
    m_order = std::move(entries);
}

std::optional<std::vector<qint64>> StorageService::indexCandidates(
    const QString& searchText, Qt::CaseSensitivity cs, qsizetype limit,
    std::optional<ClipOrderEntry> olderThan) {
    SqlStatement statement(
        m_db, QStringLiteral("SELECT rowid FROM ClipTrigram WHERE ClipTrigram MATCH ? LIMIT ?"));
    statement.bind(1, indexQuery(searchText, cs));
    statement.bind(2, qint64(limit) + 1);
    std::vector<qint64> found;
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) found.push_back(statement.int64(0));
    if (rc != SQLITE_DONE) {
        qCWarning(lcStore) << "search index failed, scanning instead:" << statement.error();
        return std::nullopt;
    }
    if (qsizetype(found.size()) > limit) return std::nullopt;
    // Clips too long for the index are candidates of every search.
    SqlStatement large(m_db, QStringLiteral("SELECT pk FROM LargeClip"));
    while ((rc = large.step()) == SQLITE_ROW) found.push_back(large.int64(0));
    if (rc != SQLITE_DONE) {
        qCWarning(lcStore) << "listing long clips failed, scanning instead:" << large.error();
        return std::nullopt;
    }
    if (found.empty()) return found;

    // Put them newest first by walking the kept order against a bitmap of the candidates.
    const qint64 largest = *std::max_element(found.begin(), found.end());
    std::vector<bool> isCandidate(size_t(largest) + 1, false);
    for (qint64 rowId : found) isCandidate[size_t(rowId)] = true;
    std::vector<qint64> newestFirst;
    newestFirst.reserve(found.size());
    const auto& entries = *order();
    size_t seen = 0;
    for (auto it = entries.rbegin(); it != entries.rend() && seen < found.size(); ++it) {
        if (it->rowId > largest || !isCandidate[size_t(it->rowId)]) continue;
        ++seen;
        if (!olderThan || *it < *olderThan) newestFirst.push_back(it->rowId);
    }
    return newestFirst;
}

bool StorageService::isIndexComplete() {
    SqlStatement state(m_db, QStringLiteral("SELECT indexedFrom FROM SearchIndexState"));
    return state.step() == SQLITE_ROW && state.int64(0) <= 0;
}

std::unique_ptr<SearchCursor> StorageService::search(const QString& searchText,
                                                     Qt::CaseSensitivity cs, int stepSize) {
    // While the index is being built it covers only part of the history: every clip is
    // scanned instead. So is a text holding NUL, which an index query cannot spell.
    const bool indexed = isIndexComplete() && !searchText.contains(QChar(0));
    // Looking candidates up one by one costs about ten times a row of the sequential scan,
    // so a text found in more than a tenth of the clips is faster to scan for.
    const qsizetype limit = qsizetype(order()->size()) / 10;
    const int candidateStep = std::max(1, stepSize / 8);
    auto scan = std::make_unique<ScanCursor>(m_db, searchText, cs, stepSize);
    if (!indexed) return scan;

    // The newest clips tell a common text (scanned for: its first screenful is near, while
    // the index would list every clip holding it) from a rare one (looked up, past the clips
    // already examined).
    std::vector<qint64> found;
    const int sample = std::min(kShortTextSample, stepSize);
    if (!scan->stepRows(found, sample))
        return std::make_unique<PrefixedCursor>(std::move(found), nullptr);
    if (found.size() < size_t(std::max(1, sample / kShortTextCommonShare))) {
        if (auto candidates = indexCandidates(searchText, cs, limit, scan->examinedDownTo())) {
            return std::make_unique<PrefixedCursor>(
                std::move(found), std::make_unique<CandidateCursor>(
                                      m_db, searchText, cs, std::move(*candidates), candidateStep));
        }
    }
    return std::make_unique<PrefixedCursor>(std::move(found), std::move(scan));
}

ClipList StorageService::fetchItems(const QString& searchText, Qt::CaseSensitivity cs) {
    if (searchText.isEmpty()) return ClipList(m_context.get(), order());
    std::vector<qint64> rows;
    search(searchText, cs)->drain(rows);
    return ClipList(m_context.get(), std::move(rows));
}

void StorageService::noteChangesElsewhere(const std::vector<ClipMove>& moves,
                                          const QSet<QUuid>& clips, const QSet<QUuid>& phrases) {
    SaveSummary summary;
    summary.clipMoves = moves;
    applySave(summary);
    m_context->reloadRecords(clips + phrases, !phrases.isEmpty());
}

std::vector<std::shared_ptr<PhraseCategory>> StorageService::fetchCategories() {
    return m_context->fetchCategories(FetchDescriptor{{}, {SortKey{"sortOrder", true}}, {}});
}

}  // namespace quillet
