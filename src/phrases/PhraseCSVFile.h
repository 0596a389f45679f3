#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

#include "phrases/PhraseCSVParser.h"
#include "phrases/PhraseCSVService.h"

namespace quillet {

// Reads and atomic writes of phrase files, with the reason when they fail.
namespace PhraseCSVFile {

// No phrase file is read past this; a larger one is refused, unread when its size is known.
constexpr qint64 maxBytes = 64LL * 1024 * 1024;
// A file of more phrases, or with a longer field, is refused whole.
constexpr qsizetype maxRows = 100'000;
constexpr qsizetype maxFieldBytes = 1024 * 1024;

struct Limits {
    qint64 maxBytes = PhraseCSVFile::maxBytes;
    PhraseCSVParser::Limits parser{maxRows, maxFieldBytes};
};

// How the text of a file was encoded: UTF-8 (what this program writes) or, for a file that is
// not valid UTF-8, Shift_JIS in its Windows form (CP932), which spreadsheets in Japan write.
enum class Encoding { Utf8, ShiftJis };

struct ParseResult {
    enum class Status {
        Ok,
        Unreadable,
        TooLarge,
        UnknownEncoding,  // valid in neither encoding
        TooManyRows,
        FieldTooLong,
        UnclosedQuote,
        NoRows,  // empty, or a header alone
        Malformed,  // not valid in its format (YAML, JSON): `reason` and `line` say where
        Cancelled
    };
    Status status = Status::Ok;
    std::vector<PhraseRow> rows;  // every row when Ok, none otherwise
    QString reason;               // the system's reason when Unreadable
    qsizetype line = 0;           // where a field too long or an unclosed quote begins
    Encoding encoding = Encoding::Utf8;
    // What was imported otherwise than written (a variable that would run a program), one
    // line each.
    QStringList warnings;
};

// A file refused: why, the system's or the parser's reason, and the line concerned.
inline ParseResult refusal(ParseResult::Status status, QString reason = {}, qsizetype line = 0) {
    ParseResult result;
    result.status = status;
    result.reason = std::move(reason);
    result.line = line;
    return result;
}

// What a reader reports while it works; both may be read from another thread.
struct Progress {
    std::atomic<qint64> bytesRead{0};
    std::atomic<qint64> totalBytes{-1};  // -1 while unknown (a pipe)
    std::atomic<bool> cancelled{false};
};

// Reads and parses the file piece by piece, stopping at the first limit passed, so that
// neither a huge file nor a huge field is ever held whole. A file that is not UTF-8 is read
// again from the start as Shift_JIS; either decoding is strict, a byte it cannot take refuses
// the file. Safe on any thread.
ParseResult parse(const QString& path, const Limits& limits = {}, Progress* progress = nullptr);

// Encodes `text` as UTF-8, whatever a file read in was, and replaces the file in one step: on
// failure an existing file is left as it was. Returns the system's reason on failure, an empty text on success.
QString write(const QString& path, const QString& text);

}  // namespace PhraseCSVFile
}  // namespace quillet
