#include "store/StoreSchema.h"

#include <sqlite3.h>

#include "store/SqlStatement.h"

namespace quillet {

namespace {

// Version 1: the three record tables and a trigram index that makes substring search fast.
// The index stores no positions (detail=none), so it only narrows the candidates; every
// match is confirmed with instr().
const char* const kSchemaV1 = R"sql(
CREATE TABLE ClipItem (
    pk INTEGER PRIMARY KEY,
    id TEXT NOT NULL UNIQUE,
    content TEXT NOT NULL,
    timestamp INTEGER NOT NULL
);
CREATE INDEX ClipItem_timestamp ON ClipItem (timestamp, pk);
CREATE TABLE PhraseCategory (
    id TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    sortOrder INTEGER NOT NULL
);
CREATE TABLE PhraseItem (
    id TEXT NOT NULL UNIQUE,
    title TEXT NOT NULL,
    body TEXT NOT NULL,
    sortOrder INTEGER NOT NULL,
    category TEXT REFERENCES PhraseCategory (id) ON DELETE CASCADE
);
CREATE INDEX PhraseItem_category ON PhraseItem (category);
CREATE VIRTUAL TABLE ClipSearch USING fts5 (
    content, content = 'ClipItem', content_rowid = 'pk',
    tokenize = 'trigram case_sensitive 1', detail = none
);
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content);
END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content);
END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content);
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content);
END;
PRAGMA user_version = 1;
)sql";

// Version 2: long clips stay out of the trigram index, whose cost grows with the distinct
// trigrams of a text (a megabyte of random text took seconds to index, on the event loop).
// LargeClip lists them; searches confirm them by scanning. A clip's place in the index is
// decided by that list, never by recomputing its length, so index and list always agree.
const char* const kSchemaV2 = R"sql(
CREATE TABLE LargeClip (pk INTEGER PRIMARY KEY);
DROP TRIGGER ClipItem_ai;
DROP TRIGGER ClipItem_ad;
DROP TRIGGER ClipItem_au;
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipSearch (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384;
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk);
    DELETE FROM LargeClip WHERE pk = old.pk;
END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk);
    DELETE FROM LargeClip WHERE pk = old.pk;
    INSERT INTO ClipSearch (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384;
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
INSERT INTO LargeClip (pk) SELECT pk FROM ClipItem WHERE length(content) > 16384;
INSERT INTO ClipSearch (ClipSearch, rowid, content)
    SELECT 'delete', pk, content FROM ClipItem WHERE pk IN (SELECT pk FROM LargeClip);
PRAGMA user_version = 2;
)sql";

// Version 3: a new clip index, ClipTrigram, whose tokenizer also lets texts of one or two
// characters be looked up (see TrigramTokenizer), and which keeps no per-clip sizes
// (columnsize=0: only ranking would read them). The clips already stored are indexed in the
// background, newest first (SearchIndexBuilder): the index covers the clips from
// SearchIndexState.indexedFrom up, new clips included; 0 when it covers all. The old index is
// left to the builder, which takes it apart in small steps.
const char* const kSchemaV3 = R"sql(
DROP TRIGGER ClipItem_ai;
DROP TRIGGER ClipItem_ad;
DROP TRIGGER ClipItem_au;
CREATE TABLE SearchIndexState (indexedFrom INTEGER NOT NULL);
INSERT INTO SearchIndexState (indexedFrom) SELECT coalesce(max(pk) + 1, 0) FROM ClipItem;
CREATE VIRTUAL TABLE ClipTrigram USING fts5 (
    content, content = 'ClipItem', content_rowid = 'pk',
    tokenize = 'quillet_trigram', detail = none, columnsize = 0
);
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipTrigram (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384
            AND new.pk >= (SELECT indexedFrom FROM SearchIndexState);
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipTrigram (ClipTrigram, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk)
            AND old.pk >= (SELECT indexedFrom FROM SearchIndexState);
    DELETE FROM LargeClip WHERE pk = old.pk;
END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipTrigram (ClipTrigram, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk)
            AND old.pk >= (SELECT indexedFrom FROM SearchIndexState);
    DELETE FROM LargeClip WHERE pk = old.pk;
    INSERT INTO ClipTrigram (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384
            AND new.pk >= (SELECT indexedFrom FROM SearchIndexState);
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
PRAGMA user_version = 3;
)sql";

// Version 4: the size test of the index triggers sees the whole text. length() of a text
// stops at its first NUL, so a long clip that began with one went into the index; a text
// holding NUL is measured in bytes instead (at least one a character).
#define QUILLET_INDEXED(x)                               \
    "CASE WHEN instr(" x ", char(0)) = 0 THEN length(" x \
    ") <= 16384 "                                        \
    "ELSE length(CAST(" x " AS BLOB)) <= 16384 END"
const char* const kIndexTriggers =
    "CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN\n"
    "    INSERT INTO ClipTrigram (rowid, content)\n"
    "        SELECT new.pk, new.content WHERE " QUILLET_INDEXED("new.content") "\n"
    "            AND new.pk >= (SELECT indexedFrom FROM SearchIndexState);\n"
    "    INSERT INTO LargeClip (pk) SELECT new.pk WHERE NOT (" QUILLET_INDEXED("new.content") ");\n"
    "END;\n"
    "CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN\n"
    "    INSERT INTO ClipTrigram (ClipTrigram, rowid, content)\n"
    "        SELECT 'delete', old.pk, old.content\n"
    "        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk)\n"
    "            AND old.pk >= (SELECT indexedFrom FROM SearchIndexState);\n"
    "    DELETE FROM LargeClip WHERE pk = old.pk;\n"
    "END;\n"
    "CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN\n"
    "    INSERT INTO ClipTrigram (ClipTrigram, rowid, content)\n"
    "        SELECT 'delete', old.pk, old.content\n"
    "        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk)\n"
    "            AND old.pk >= (SELECT indexedFrom FROM SearchIndexState);\n"
    "    DELETE FROM LargeClip WHERE pk = old.pk;\n"
    "    INSERT INTO ClipTrigram (rowid, content)\n"
    "        SELECT new.pk, new.content WHERE " QUILLET_INDEXED("new.content") "\n"
    "            AND new.pk >= (SELECT indexedFrom FROM SearchIndexState);\n"
    "    INSERT INTO LargeClip (pk) SELECT new.pk WHERE NOT (" QUILLET_INDEXED("new.content") ");\n"
    "END;\n";
#undef QUILLET_INDEXED

// Version 6: a phrase may have an abbreviation, a short word the user finds it by.
const char* const kSchemaV6 =
    "ALTER TABLE PhraseItem ADD COLUMN abbreviation TEXT NOT NULL DEFAULT '';"
    "PRAGMA user_version = 6;";

const char* const kDropIndexTriggers =
    "DROP TRIGGER ClipItem_ai; DROP TRIGGER ClipItem_ad; DROP TRIGGER ClipItem_au;";

const char* const kCreateIndex =
    "CREATE VIRTUAL TABLE ClipTrigram USING fts5 (content, content = 'ClipItem', "
    "content_rowid = 'pk', tokenize = 'quillet_trigram', detail = none, columnsize = 0);";

// Indexes replaced because they were damaged are named this, followed by a number.
const char* const kRetiredPrefix = "ClipTrigramRetired";

// The tables and triggers each version has, whatever else the file holds.
struct RequiredObject {
    const char* name;
    int since;
    int until;  // the last version that has it
};
const RequiredObject kRequiredObjects[] = {{"ClipItem", 1, 99},    {"PhraseCategory", 1, 99},
                                           {"PhraseItem", 1, 99},  {"ClipItem_ai", 1, 99},
                                           {"ClipItem_ad", 1, 99}, {"ClipItem_au", 1, 99},
                                           {"ClipSearch", 1, 2},   {"LargeClip", 2, 99},
                                           {"ClipTrigram", 3, 99}, {"SearchIndexState", 3, 99},
                                           {"SyncPeer", 7, 99},    {"SyncVersion", 7, 99},
                                           {"SyncForgotten", 7, 99}};

// Version 7: what sync keeps beside the records. SyncPeer: how far this store has applied each
// device's numbered segments (and the last number this device wrote itself), and when one
// last arrived. SyncVersion: the version (hybrid clock, device) of every category (kind 0) and
// phrase (kind 1) change sync knows, deletions kept as tombstones, so the last writer wins
// everywhere.
// SyncForgotten: clips forgotten on any machine, which never come back.
// (IF NOT EXISTS: a file marked with an older version may hold them already.)
const char* const kSchemaSync = R"sql(
CREATE TABLE IF NOT EXISTS SyncPeer (
    device TEXT PRIMARY KEY,
    appliedSeq INTEGER NOT NULL,
    lastReceived INTEGER
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS SyncVersion (
    id TEXT PRIMARY KEY,
    kind INTEGER NOT NULL,
    clock INTEGER NOT NULL,
    device TEXT NOT NULL,
    deleted INTEGER NOT NULL DEFAULT 0
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS SyncForgotten (id TEXT PRIMARY KEY) WITHOUT ROWID;
)sql";

// Runs `step` in a transaction of its own.
template <class Step>
bool inTransaction(sqlite3* db, QString* why, Step step) {
    if (!execSql(db, "BEGIN IMMEDIATE", why)) return false;
    if (!step()) {
        execSql(db, "ROLLBACK");
        return false;
    }
    return execSql(db, "COMMIT", why);
}

bool runStep(sqlite3* db, const QByteArray& sql, QString* why) {
    return inTransaction(db, why, [&] { return execSql(db, sql.constData(), why); });
}

// Renames the clip index for the builder to take apart and puts an empty one in its place;
// every stored clip is left to be indexed again.
bool swapIndex(sqlite3* db, QString* why) {
    const QStringList retired = StoreSchema::retiredIndexes(db);
    int number = 1;
    while (retired.contains(QString::fromLatin1(kRetiredPrefix) + QString::number(number)))
        ++number;
    const QByteArray old = kRetiredPrefix + QByteArray::number(number);
    // The old index keeps its pages until the builder removes them in small steps, but gets
    // the empty header of the new one: dropping a table reads its header, and a damaged
    // header could never be dropped.
    const QByteArray sql = QByteArray(kDropIndexTriggers) + "ALTER TABLE ClipTrigram RENAME TO " +
                           old + ";" + kCreateIndex + "DELETE FROM " + old +
                           "_data WHERE id <= 10;" + "INSERT INTO " + old +
                           "_data SELECT * FROM ClipTrigram_data;" + kIndexTriggers +
                           "UPDATE SearchIndexState SET indexedFrom = "
                           "coalesce((SELECT max(pk) + 1 FROM ClipItem), 0);";
    return execSql(db, sql.constData(), why);
}

}  // namespace

bool StoreSchema::migrate(sqlite3* db, qint64 from, QString* why) {
    if (from < 1 && !runStep(db, kSchemaV1, why)) return false;
    if (from < 2 && !runStep(db, kSchemaV2, why)) return false;
    if (from < 3) {
        if (!runStep(db, kSchemaV3, why)) return false;
        // An empty history's old index is gone at once; a full one is left to the builder.
        bool empty = false;
        {
            SqlStatement query(db, "SELECT NOT EXISTS (SELECT 1 FROM ClipItem)");
            empty = query.step() == SQLITE_ROW && query.int64(0) != 0;
        }
        if (empty && !execSql(db, "DROP TABLE ClipSearch", why)) return false;
    }
    if (from < 4 &&
        !runStep(db, QByteArray(kDropIndexTriggers) + kIndexTriggers + "PRAGMA user_version = 4;",
                 why))
        return false;
    // Version 5: the index holds case-folded tokens beside those as typed (TrigramTokenizer),
    // so one index serves searches with and without case. An index of version 3 or 4 holds
    // only tokens as typed: it is replaced and rebuilt in the background, as a damaged one is;
    // searches scan meanwhile. An earlier store's index was made just now, empty, and is
    // already of the new kind.
    if (from < 5 && !inTransaction(db, why, [&] {
            return (from < 3 || swapIndex(db, why)) && execSql(db, "PRAGMA user_version = 5;", why);
        }))
        return false;
    if (from < 6 && !runStep(db, kSchemaV6, why)) return false;
    if (from < 7 && !runStep(db, QByteArray(kSchemaSync) + "PRAGMA user_version = 7;", why))
        return false;
    return true;
}

QString StoreSchema::missingObjects(sqlite3* db, qint64 version) {
    QStringList missing;
    for (const RequiredObject& object : kRequiredObjects) {
        if (version < object.since || version > object.until) continue;
        SqlStatement query(db, "SELECT 1 FROM sqlite_schema WHERE name = ?");
        query.bind(1, QString::fromLatin1(object.name));
        if (query.step() != SQLITE_ROW) missing << QString::fromLatin1(object.name);
    }
    return missing.join(QStringLiteral(", "));
}

QStringList StoreSchema::retiredIndexes(sqlite3* db) {
    QStringList names;
    SqlStatement query(
        db,
        "SELECT name FROM sqlite_schema WHERE type = 'table' AND "
        "(name = 'ClipSearch' OR (name GLOB ?1 || '[0-9]*' AND name NOT GLOB '*_*')) "
        "ORDER BY name = 'ClipSearch' DESC, length(name), name");
    query.bind(1, QString::fromLatin1(kRetiredPrefix));
    while (query.step() == SQLITE_ROW) names << query.text(0);
    return names;
}

bool StoreSchema::replaceIndex(sqlite3* db, QString* why) {
    return inTransaction(db, why, [&] { return swapIndex(db, why); });
}

}  // namespace quillet
