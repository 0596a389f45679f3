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

// The text folded (see CaseFolding), with where each of its characters starts in the folded
// text and in the original (the index is told the original's offsets), plus the ends.
struct FoldedText {
    std::string folded;
    std::vector<int> starts;
    std::vector<int> sourceStarts;

    FoldedText(const char* text, int size) {
        folded.reserve(size_t(size));
        for (int at = 0; at < size;) {
            const int end = CaseFolding::nextCharacter(text, size, at);
            starts.push_back(int(folded.size()));
            sourceStarts.push_back(at);
            CaseFolding::foldCharacter(text, at, end, folded);
            at = end;
        }
        starts.push_back(int(folded.size()));
        sourceStarts.push_back(size);
    }
    int characters() const { return int(starts.size()) - 1; }
    // Characters [first, last) as one token.
    int add(TokenCallback addToken, void* context, int first, int last) const {
        return addMapped(addToken, context, folded.data() + starts[size_t(first)],
                         starts[size_t(last)] - starts[size_t(first)],
                         sourceStarts[size_t(first)], sourceStarts[size_t(last)]);
    }
};

int tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
             TokenCallback addToken) {
    if (size <= 0) return SQLITE_OK;
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    const FoldedText folded(text, size);
    const int count = folded.characters();
    if (query && count <= 2) {
        // One or two characters: a token only as a prefix (for one, two or three characters
        // following); as a whole word it would match just a clip's last characters.
        if ((flags & FTS5_TOKENIZE_PREFIX) == 0) return SQLITE_OK;
        return folded.add(addToken, context, 0, count);
    }
    // A query asks only for whole trigrams: its last two characters are part of them.
    const int last = query ? count - 2 : count;
    for (int first = 0; first < last; ++first) {
        const int rc = folded.add(addToken, context, first, std::min(first + 3, count));
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
