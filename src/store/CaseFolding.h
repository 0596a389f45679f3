#pragma once

#include <QString>
#include <string>

struct sqlite3;

namespace quillet {

// Unicode simple case folding over UTF-8, one character at a time (QChar::toCaseFolded, as
// QString's case-insensitive comparisons use): "Fox" and "FOX" fold to "fox", "Σ" and "ς" to
// "σ"; "ß" and "İ" have no simple folding and stay. The clip index holds folded tokens (see
// TrigramTokenizer), so one index serves searches with and without case; case-insensitive
// matches are confirmed with the SQL function registered here.
class CaseFolding {
public:
    // The byte just past the character starting at `at`. Bytes that are not valid UTF-8 still
    // advance deterministically, and a character never spans more than four bytes.
    static int nextCharacter(const char* text, int size, int at);
    // Appends the folded form of the character in [at, end) (as nextCharacter cut it) to
    // `out`. A character without folding, and bytes that are not one valid character, are
    // copied unchanged, so folding is deterministic for any bytes.
    static void foldCharacter(const char* text, int at, int end, std::string& out);
    // `text` folded character by character.
    static std::string fold(const char* text, int size);

    // quillet_contains_folded(content, text): 1 when the folded content contains the folded
    // text (what QString::contains with Qt::CaseInsensitive says), else 0. NUL bytes count.
    static constexpr const char* containsFunction = "quillet_contains_folded";
    // False with `error` set when the function cannot be registered.
    static bool registerWith(sqlite3* db, QString* error = nullptr);
};

}  // namespace quillet
