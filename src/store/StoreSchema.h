#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace quillet {

// The store's layout and its versions: each version's changes, applied in order to an older
// file, and the replacement of a damaged clip index.
class StoreSchema {
public:
    static constexpr int version = 7;

    // Brings a store at `from` (0: new) up to `version`, one transaction per step.
    static bool migrate(sqlite3* db, qint64 from, QString* why);
    // The tables and triggers a store of `version` must have that the file lacks,
    // comma-separated.
    static QString missingObjects(sqlite3* db, qint64 version);
    // Sets a new, empty clip index in place of the current one, in one short transaction: the
    // old one is renamed for SearchIndexBuilder to take apart, and every stored clip is left
    // for it to index again (searches scan meanwhile).
    static bool replaceIndex(sqlite3* db, QString* why);
    // Indexes no longer in use whose parts are still in the file, oldest first.
    static QStringList retiredIndexes(sqlite3* db);
};

}  // namespace quillet
