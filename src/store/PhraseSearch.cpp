#include "store/PhraseSearch.h"

#include <sqlite3.h>

#include "base/Logging.h"
#include "store/SqlStatement.h"

namespace quillet {

namespace {

// Folded containment of equal lengths is a folded equality (folding maps one character to
// one).
const char* const kQuery = R"sql(
SELECT p.id, p.title, p.abbreviation, substr(p.body, 1, ?3), c.name
FROM PhraseItem p JOIN PhraseCategory c ON c.id = p.category
WHERE ?1 = '' OR quillet_contains_folded(p.title, ?1)
    OR quillet_contains_folded(p.abbreviation, ?1) OR quillet_contains_folded(p.body, ?1)
ORDER BY (?1 <> '' AND p.abbreviation = ?1) DESC,
    (?1 <> '' AND length(p.abbreviation) = length(?1)
        AND quillet_contains_folded(p.abbreviation, ?1)) DESC,
    c.sortOrder, c.rowid, p.sortOrder, p.rowid
LIMIT ?2
)sql";

}  // namespace

std::vector<PhraseHit> PhraseSearch::find(sqlite3* db, const QString& text, int limit) {
    std::vector<PhraseHit> hits;
    SqlStatement query(db, kQuery);
    if (!query.bind(1, text) || !query.bind(2, limit) || !query.bind(3, bodyStartLength)) {
        qCWarning(lcStore).noquote() << "cannot search the phrases:" << query.error();
        return hits;
    }
    int status = SQLITE_ROW;
    while ((status = query.step()) == SQLITE_ROW)
        hits.push_back({QUuid(query.text(0)), query.text(1), query.text(2), query.text(3),
                        query.text(4)});
    if (status != SQLITE_DONE)
        qCWarning(lcStore).noquote() << "the phrase search failed:" << query.error();
    return hits;
}

}  // namespace quillet
