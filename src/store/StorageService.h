#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "store/ClipList.h"
#include "store/SearchCursor.h"
#include "store/SearchIndexBuilder.h"
#include "store/StorageContext.h"

struct sqlite3;

namespace quillet {

class PhraseCategory;
class ClipItem;
class ClipWriter;
class WalCheckpoint;

// Owns the one store file (clips and phrases) and its object context, and answers the
// shared read queries.
class StorageService : public QObject {
    Q_OBJECT
public:
    // Opens or creates the store at `path` (its folder is created 0700, the file is 0600).
    // Returns null with `error` set when the store cannot be opened.
    static std::unique_ptr<StorageService> open(const QString& path, QString* error,
                                                int busyTimeoutMs = 5000);
    // The store's place under the user's data folder.
    static QString defaultPath();
    // The file this store was opened from.
    QString filePath() const;

    ~StorageService() override;

    StorageContext& context() { return *m_context; }

    // Every clip whose content contains `searchText` exactly (case, accents and width count;
    // no trimming), newest first; all clips for an empty text. Empty on a failing fetch. With
    // Qt::CaseInsensitive, case does not count (as QString::contains has it: simple case
    // folding, so "fox" finds "Fox" and "ÄRGER" finds "ärger"; accents and width still count).
    ClipList fetchItems(const QString& searchText, Qt::CaseSensitivity cs = Qt::CaseSensitive);
    // A search for a non-empty text, run step by step. Texts of three characters or more go
    // through the trigram index: its candidates are confirmed newest first. Texts of one or
    // two characters examine the newest clips first; unless they are common there, the index
    // lists the older clips that may hold them. Texts found in more than a tenth of the clips,
    // and every text while the index is being built, examine every clip newest first. Each
    // step does about `stepSize` rows of work. Case counts as for fetchItems.
    std::unique_ptr<SearchCursor> search(const QString& searchText,
                                         Qt::CaseSensitivity cs = Qt::CaseSensitive,
                                         int stepSize = 4000);

    // Stores a clip too long to write on the event loop on a thread of its own (the context's
    // own saves wait until it is written); `clipWrittenInBackground` follows. Clips given
    // here are written in the order given.
    void insertClipInBackground(const QString& content, const QDateTime& timestamp);
    bool isWritingInBackground() const;

    // Deletes the clip for good: its row, its index entries and, within seconds, every copy
    // of its text in the store's files (freed pages are overwritten, and the write-ahead log
    // is emptied on a thread of its own; `logCheckpointed` follows). False when the deletion
    // is not written now; it stays pending for the next save.
    bool forgetClip(const std::shared_ptr<ClipItem>& clip, QString* error = nullptr);

    // Another connection (sync) added, moved or removed these clips (`moves`: how, in the
    // history order) and phrases: the kept order follows and live records take the stored
    // values.
    void noteChangesElsewhere(const std::vector<ClipMove>& moves, const QSet<QUuid>& clips,
                              const QSet<QUuid>& phrases);

    // Every category by ascending sortOrder.
    std::vector<std::shared_ptr<PhraseCategory>> fetchCategories();

    // How far the index is built over a history stored by an earlier version (nothing to do:
    // 0 of 0). Thread-safe.
    SearchIndexProgress migrationProgress() const;
    // The index is being built (false again once it is complete, or its build failed: then
    // searches keep scanning and the next start tries again).
    bool isMigrating() const;
    // Puts an empty search index in place of a damaged one (`finding` says how it was found)
    // and rebuilds it in the background, as for a store of an earlier version; saves go on
    // meanwhile and searches scan. False with `why` set when the file cannot be changed.
    bool replaceSearchIndex(const QString& finding, QString* why = nullptr);

signals:
    void clipWrittenInBackground();
    // The same, with the stored clip's row (for those that pass new clips on).
    void clipStoredInBackground(qint64 rowId);
    // The index covers more clips, or all of them, or its build stopped on an error.
    void migrationProgressChanged();
    // The write-ahead log was emptied after a clip was deleted (true), or readers kept it in
    // use for too long (false; a later deletion tries again).
    void logCheckpointed(bool truncated);

private:
    StorageService(sqlite3* db);
    void applySave(const SaveSummary& summary);
    void applyManyMoves(const std::vector<ClipMove>& moves);
    const std::shared_ptr<std::vector<ClipOrderEntry>>& order();
    // The clips the index says may contain the text, newest first; none when there are more
    // than `limit` of them.
    // With `olderThan`, only the clips before it in the order.
    std::optional<std::vector<qint64>> indexCandidates(
        const QString& searchText, Qt::CaseSensitivity cs, qsizetype limit,
        std::optional<ClipOrderEntry> olderThan = std::nullopt);
    bool isIndexComplete();
    void emptyLog();
    void buildIndex();

    sqlite3* m_db;
    std::unique_ptr<StorageContext> m_context;
    // The whole history order, read once and then kept current from the context's saves. New
    // clips are appended in place (lists handed out keep their own length); any other change
    // is made on a copy, so lists handed out never change.
    std::shared_ptr<std::vector<ClipOrderEntry>> m_order;
    std::unique_ptr<ClipWriter> m_clipWriter;            // made on first use
    std::unique_ptr<SearchIndexBuilder> m_indexBuilder;  // while an earlier store is brought up
    std::unique_ptr<WalCheckpoint> m_checkpoint;         // made on the first deletion
    bool m_mayRepair = true;  // no index replacement since the last save that succeeded
};

}  // namespace quillet
