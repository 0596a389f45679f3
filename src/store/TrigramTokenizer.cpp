#include "store/TrigramTokenizer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "store/CaseFolding.h"

namespace quillet {

namespace {

using TokenCallback = int (*)(void*, int, const char*, int, int, int);

// Hands one token to the index. The index keeps its pending terms as C strings, so a token
// holding a NUL byte would be cut short there and damage the index; NUL is stored as the
// two-byte form C0 80 instead (never valid UTF-8 otherwise, and the same for queries).
int addMapped(TokenCallback addToken, void* context, const char* token, int size, int start,
              int end) {
    if (std::memchr(token, 0, size_t(size)) == nullptr)
        return addToken(context, 0, token, size, start, end);
    std::string mapped;
    mapped.reserve(size_t(2 * size));
    for (int i = 0; i < size; ++i) {
        if (token[i] == 0) {
            mapped += char(0xC0);
            mapped += char(0x80);
        } else {
            mapped += token[i];
        }
    }
    return addToken(context, 0, mapped.data(), int(mapped.size()), start, end);
}

// The characters of a text, and for a clip's text their folded forms (see CaseFolding):
// where each character starts in the text and in the folded text, plus the ends.
struct Characters {
    const char* text;
    std::string folded;
    std::vector<int> starts;
    std::vector<int> foldedStarts;

    Characters(const char* text, int size, bool fold) : text(text) {
        if (fold) folded.reserve(size_t(size));
        for (int at = 0; at < size;) {
            const int end = CaseFolding::nextCharacter(text, size, at);
            starts.push_back(at);
            foldedStarts.push_back(int(folded.size()));
            if (fold) CaseFolding::foldCharacter(text, at, end, folded);
            at = end;
        }
        starts.push_back(size);
        foldedStarts.push_back(int(folded.size()));
    }
    int count() const { return int(starts.size()) - 1; }

    // Characters [first, last) as typed.
    int add(TokenCallback addToken, void* context, int first, int last) const {
        const int start = starts[size_t(first)];
        const int end = starts[size_t(last)];
        return addMapped(addToken, context, text + start, end - start, start, end);
    }
    // Characters [first, last) folded, and as typed as well where that differs.
    int addFoldedAndCased(TokenCallback addToken, void* context, int first, int last) const {
        const int start = starts[size_t(first)];
        const int end = starts[size_t(last)];
        const int foldedStart = foldedStarts[size_t(first)];
        const int foldedSize = foldedStarts[size_t(last)] - foldedStart;
        const int rc =
            addMapped(addToken, context, folded.data() + foldedStart, foldedSize, start, end);
        if (rc != SQLITE_OK ||
            (foldedSize == end - start &&
             std::memcmp(folded.data() + foldedStart, text + start, size_t(foldedSize)) == 0))
            return rc;
        return addMapped(addToken, context, text + start, end - start, start, end);
    }
};

int tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
             TokenCallback addToken) {
    if (size <= 0) return SQLITE_OK;
    // Queries are spelled by the caller: folded for a search without case, as typed for one
    // with case (see StorageService::search).
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    const Characters characters(text, size, !query);
    const int count = characters.count();
    if (query && count <= 2) {
        // One or two characters: a token only as a prefix (for one, two or three characters
        // following); as a whole word it would match just a clip's last characters.
        if ((flags & FTS5_TOKENIZE_PREFIX) == 0) return SQLITE_OK;
        return characters.add(addToken, context, 0, count);
    }
    // A query asks only for whole trigrams: its last two characters are part of them.
    for (int first = 0; first < (query ? count - 2 : count); ++first) {
        const int last = std::min(first + 3, count);
        const int rc = query ? characters.add(addToken, context, first, last)
                             : characters.addFoldedAndCased(addToken, context, first, last);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

int create(void*, const char**, int, Fts5Tokenizer** out) {
    // Stateless: any non-null handle will do.
    static char instance;
    *out = reinterpret_cast<Fts5Tokenizer*>(&instance);
    return SQLITE_OK;
}

void destroy(Fts5Tokenizer*) {}

fts5_api* fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api;
}

}  // namespace

bool TrigramTokenizer::registerWith(sqlite3* db, QString* error) {
    static fts5_tokenizer tokenizer{create, destroy, tokenize};
    fts5_api* api = fts5Api(db);
    const int rc =
        api ? api->xCreateTokenizer(api, name, nullptr, &tokenizer, nullptr) : SQLITE_ERROR;
    if (rc != SQLITE_OK && error)
        *error = QStringLiteral("cannot register the search tokenizer: %1")
                     .arg(QString::fromUtf8(api ? sqlite3_errstr(rc) : "no FTS5"));
    return rc == SQLITE_OK;
}

}  // namespace quillet
