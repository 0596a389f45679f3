#include "store/CaseFolding.h"

#include <sqlite3.h>

#include <QChar>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace quillet {

namespace {

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

char foldAscii(char byte) {
    return byte >= 'A' && byte <= 'Z' ? char(byte + ('a' - 'A')) : byte;
}

// The code point of the one well-formed character in [at, end), or -1.
qint32 decode(const char* text, int at, int end) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    qint32 codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    }
    if (length == 0 || end - at != length) return -1;
    for (int i = at + 1; i < end; ++i) {
        if (!isContinuation(text[i])) return -1;
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not characters.
    const qint32 smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return -1;
    return codePoint;
}

void encode(char32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

// Folds into `out` (cleared first), keeping its capacity: the scan folds every clip it
// examines, and most of them are ASCII.
void foldInto(const char* text, int size, std::string& out) {
    out.clear();
    out.reserve(size_t(size));
    int at = 0;
    while (at < size) {
        if (static_cast<unsigned char>(text[at]) < 0x80 &&
            (at + 1 == size || !isContinuation(text[at + 1]))) {
            out += foldAscii(text[at++]);
            continue;
        }
        const int end = CaseFolding::nextCharacter(text, size, at);
        CaseFolding::foldCharacter(text, at, end, out);
        at = end;
    }
}

void containsFolded(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
        sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // The search text is the same for every row: folded once per statement.
    std::string folded;
    const auto* needle = static_cast<const std::string*>(sqlite3_get_auxdata(context, 1));
    if (!needle) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
        folded = CaseFolding::fold(text, sqlite3_value_bytes(arguments[1]));
        sqlite3_set_auxdata(context, 1, new std::string(folded),
                            [](void* kept) { delete static_cast<std::string*>(kept); });
        needle = &folded;
    }
    const auto* content = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const int size = sqlite3_value_bytes(arguments[0]);
    if (!content && size > 0) {
        sqlite3_result_error_nomem(context);
        return;
    }
    thread_local std::string haystack;
    foldInto(content, size, haystack);
    const bool found = std::string_view(haystack).find(*needle) != std::string_view::npos;
    // A long clip's buffer is not kept for the rest of the run.
    if (haystack.capacity() > (size_t(1) << 20)) std::string().swap(haystack);
    sqlite3_result_int(context, found ? 1 : 0);
}

}  // namespace

int CaseFolding::nextCharacter(const char* text, int size, int at) {
    const int limit = std::min(size, at + 4);
    ++at;
    while (at < limit && isContinuation(text[at])) ++at;
    return at;
}

void CaseFolding::foldCharacter(const char* text, int at, int end, std::string& out) {
    if (end == at + 1) {
        out += foldAscii(text[at]);  // a byte alone: ASCII, or not a character at all
        return;
    }
    const qint32 codePoint = decode(text, at, end);
    const char32_t folded = codePoint < 0 ? 0 : QChar::toCaseFolded(char32_t(codePoint));
    if (codePoint < 0 || folded == char32_t(codePoint)) {
        out.append(text + at, size_t(end - at));
        return;
    }
    encode(folded, out);
}

std::string CaseFolding::fold(const char* text, int size) {
    std::string out;
    if (text) foldInto(text, size, out);
    return out;
}

bool CaseFolding::registerWith(sqlite3* db, QString* error) {
    const int rc = sqlite3_create_function_v2(db, containsFunction, 2,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                              nullptr, containsFolded, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && error)
        *error = QStringLiteral("cannot register the case-insensitive search: %1")
                     .arg(QString::fromUtf8(sqlite3_errstr(rc)));
    return rc == SQLITE_OK;
}

}  // namespace quillet
