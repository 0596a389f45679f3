#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "store/ClipList.h"
#include "store/SearchCursor.h"
#include "store/StorageContext.h"

struct sqlite3;

namespace quillet {

class PhraseCategory;
class ClipWriter;

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
    // no trimming), newest first; all clips for an empty text. Empty on a failing fetch.
    ClipList fetchItems(const QString& searchText);
    // A search for a non-empty text, run step by step. Texts of three characters or more go
    // through the trigram index: its candidates are confirmed newest first. Shorter texts, and
    // texts found in more than a tenth of the clips, examine every clip newest first. Each step
    // does about `stepSize` rows of work.
    std::unique_ptr<SearchCursor> search(const QString& searchText, int stepSize = 4000);

    // Stores a clip too long to write on the event loop on a thread of its own (the context's
    // own saves wait until it is written); `clipWrittenInBackground` follows. Clips given
    // here are written in the order given.
    void insertClipInBackground(const QString& content, const QDateTime& timestamp);
    bool isWritingInBackground() const;

    // Every category by ascending sortOrder.
    std::vector<std::shared_ptr<PhraseCategory>> fetchCategories();

    static constexpr int schemaVersion = 2;

signals:
    void clipWrittenInBackground();

private:
    StorageService(sqlite3* db);
    void applySave(const SaveSummary& summary);
    const std::shared_ptr<std::vector<ClipOrderEntry>>& order();
    // The clips the index says may contain the text, newest first; none when there are more
    // than `limit` of them.
    std::optional<std::vector<qint64>> indexCandidates(const QString& searchText, qsizetype limit);

    sqlite3* m_db;
    std::unique_ptr<StorageContext> m_context;
    // The whole history order, read once and then kept current from the context's saves. New
    // clips are appended in place (lists handed out keep their own length); any other change
    // is made on a copy, so lists handed out never change.
    std::shared_ptr<std::vector<ClipOrderEntry>> m_order;
    std::unique_ptr<ClipWriter> m_clipWriter;  // made on first use
};

}  // namespace quillet
