#include "store/TrigramTokenizer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

// The byte just past the UTF-8 character starting at `at`. Bytes that are not valid UTF-8
// still advance deterministically, so a text always yields the same tokens, and a character
// never spans more than four bytes, so a run of stray continuation bytes is no huge token.
int nextCharacter(const char* text, int size, int at) {
    const int limit = std::min(size, at + 4);
    ++at;
    while (at < limit && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    return at;
}

using TokenCallback = int (*)(void*, int, const char*, int, int, int);

// Hands one token to the index. The index keeps its pending terms as C strings, so a token
// holding a NUL byte would be cut short there and damage the index; NUL is stored as the
// two-byte form C0 80 instead (never valid UTF-8 otherwise, and the same for queries).
int addMapped(TokenCallback addToken, void* context, const char* token, int size, int start,
              int end) {
    if (std::memchr(token, 0, size_t(size)) == nullptr)
        return addToken(context, 0, token, size, start, end);
    char mapped[2 * 12];  // three characters of at most four bytes, each byte doubled at most
    int length = 0;
    for (int i = 0; i < size; ++i) {
        if (token[i] == 0) {
            mapped[length++] = char(0xC0);
            mapped[length++] = char(0x80);
        } else {
            mapped[length++] = token[i];
        }
    }
    return addToken(context, 0, mapped, length, start, end);
}

int tokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
             TokenCallback addToken) {
    // Ends of the next three characters from the current start.
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    int start = 0;
    int end1 = size > 0 ? nextCharacter(text, size, 0) : 0;
    int end2 = end1 < size ? nextCharacter(text, size, end1) : size;
    int end3 = end2 < size ? nextCharacter(text, size, end2) : size;
    if (query && end2 == size) {
        // One or two characters: a token only as a prefix (for one, two or three characters
        // following); as a whole word it would match just a clip's last characters.
        if ((flags & FTS5_TOKENIZE_PREFIX) == 0 || size == 0) return SQLITE_OK;
        return addMapped(addToken, context, text, size, 0, size);
    }
    while (start < size) {
        const bool whole = end2 < size;  // three characters start here
        // A query asks only for whole trigrams: its last two characters are part of them.
        if (query && !whole) break;
        const int rc = addMapped(addToken, context, text + start, end3 - start, start, end3);
        if (rc != SQLITE_OK) return rc;
        start = end1;
        end1 = end2;
        end2 = end3;
        end3 = end3 < size ? nextCharacter(text, size, end3) : size;
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
