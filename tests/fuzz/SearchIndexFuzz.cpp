// libFuzzer target for the clip index: any bytes stored as clip texts (the first byte of the
// input separates them) keep the index sound through inserts, edits and deletes, whatever
// NULs, stray UTF-8 bytes or long runs they hold; and the case-insensitive match reads them
// safely.

#include <sqlite3.h>

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/CaseFolding.h"
#include "store/StoreSchema.h"
#include "store/TrigramTokenizer.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool run(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Runs `sql` with ?1 = the text (as given, not checked as UTF-8) and ?2 = a number.
bool run(sqlite3* db, const char* sql, const uint8_t* text, size_t size, int number) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) return false;
    sqlite3_bind_text(statement, 1, reinterpret_cast<const char*>(text), int(size), SQLITE_STATIC);
    sqlite3_bind_int(statement, 2, number);
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE;
}

// One store for every input: each one leaves it empty again.
sqlite3* openStore() {
    sqlite3* db = nullptr;
    require(sqlite3_open(":memory:", &db) == SQLITE_OK);
    QString why;
    require(quillet::TrigramTokenizer::registerWith(db, &why));
    require(quillet::CaseFolding::registerWith(db, &why));
    require(quillet::StoreSchema::migrate(db, 0, &why));
    return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static sqlite3* const db = openStore();

    const uint8_t separator = data[0];
    std::vector<std::pair<const uint8_t*, size_t>> texts;
    size_t begin = 1;
    for (size_t i = 1; i <= size; ++i) {
        if (i == size || data[i] == separator) {
            texts.emplace_back(data + begin, i - begin);
            begin = i + 1;
        }
    }
    int number = 0;
    for (const auto& [text, length] : texts) {
        ++number;
        require(run(db,
                    "INSERT INTO ClipItem (id, content, timestamp) "
                    "VALUES ('clip-' || ?2, ?1, ?2)",
                    text, length, number));
    }
    const char* check = "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')";
    require(run(db, check));
    // Any text folded against any other; an empty text is contained in every clip.
    require(run(db, "CREATE TEMP TABLE IF NOT EXISTS Found (n); DELETE FROM Found;"));
    require(run(db,
                "INSERT INTO Found SELECT count(*) FROM ClipItem "
                "WHERE quillet_contains_folded(content, ?1)",
                texts.back().first, texts.back().second, 0));
    // Every other clip takes the text of the next one; every third is deleted.
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        require(run(db, "UPDATE ClipItem SET content = ?1 WHERE id = 'clip-' || ?2",
                    texts[i + 1].first, texts[i + 1].second, int(i + 1)));
    require(run(db, "DELETE FROM ClipItem WHERE timestamp % 3 = 0"));
    require(run(db, check));
    require(run(db, "DELETE FROM ClipItem"));
    require(run(db, check));
    // Deletes leave markers until segments merge; the next input starts from an empty index.
    require(run(db, "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('delete-all')"));
    return 0;
}
