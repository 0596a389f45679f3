#pragma once

#include <QString>

struct sqlite3;

namespace quillet {

// The clip index's tokenizer, registered on every connection that writes clips (the index's
// triggers run on that connection). A text is cut at every character into the (up to) three
// characters that start there: the trigrams of the text plus its last two characters as
// shorter tokens, so that every occurrence of any text of one or two characters is the prefix
// of some token. A query in prefix mode of one or two characters is one token, so `"ab"*`
// lists every clip that may contain "ab".
//
// Each token is indexed case-folded (CaseFolding), and as typed too where that differs ("The"
// gives "the" and "The"; "the" just "the"). Folded tokens never hold a character that folds,
// so the two kinds never meet: a search without case looks up the folded query, a search with
// case the query as typed, which finds its capitals among the tokens as typed and its other
// trigrams among the folded ones. Queries are taken as given. The index only narrows the
// candidates; every match is confirmed on the text itself.
class TrigramTokenizer {
public:
    static constexpr const char* name = "quillet_trigram";
    // False with `error` set when the connection has no FTS5.
    static bool registerWith(sqlite3* db, QString* error = nullptr);
};

}  // namespace quillet
