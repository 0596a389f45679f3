#pragma once

#include <QString>
#include <QStringView>
#include <limits>
#include <vector>

#include "phrases/PhraseCSVService.h"

namespace quillet {

struct PhraseCSVLimits {
    qsizetype maxRows = std::numeric_limits<qsizetype>::max();        // the header not counted
    qsizetype maxFieldBytes = std::numeric_limits<qsizetype>::max();  // as UTF-8
};

// Reads phrase records from text that arrives in pieces, so a file is parsed as it is read and
// a parse can stop at the first record past a limit instead of holding the rest in memory.
// The rules are those of PhraseCSVService::parseCSV.
class PhraseCSVParser {
public:
    using Limits = PhraseCSVLimits;
    enum class Error { None, TooManyRows, FieldTooLong, UnclosedQuote };

    explicit PhraseCSVParser(Limits limits = {}) : m_limits(limits) {}

    // The next piece of the text. False once the parse has stopped on an error; later pieces
    // are then ignored.
    bool feed(QStringView text);
    // The end of the text: ends the last record and checks that every quote was closed.
    bool finish();

    Error error() const { return m_error; }
    // The line (from 1) where the failing record or the unclosed quote begins.
    qsizetype errorLine() const { return m_errorLine; }
    const std::vector<PhraseRow>& rows() const { return m_rows; }
    std::vector<PhraseRow> takeRows() { return std::move(m_rows); }

private:
    void appendToField(QStringView run);
    void endField();
    void endRecord();
    void fail(Error error, qsizetype line);
    void countLineBreak(QChar c);

    Limits m_limits;
    std::vector<PhraseRow> m_rows;
    QString m_field;
    QString m_title;                 // the record's first field once it has ended
    QString m_body;                  // its second
    QString m_abbreviation;          // its third
    int m_fieldsEnded = 0;           // fields after the third are counted, not kept
    qsizetype m_fieldBytes = 0;
    bool m_inQuotes = false;
    bool m_quotePending = false;     // a quote ended the last piece inside quotes
    bool m_skipLF = false;           // a CR ended the last piece outside quotes
    bool m_previousWasCR = false;    // for counting CR LF as one line break
    bool m_started = false;          // a byte-order mark is skipped only at the very start
    bool m_firstRowSeen = false;     // the header test applies to the first row only
    qsizetype m_line = 1;
    qsizetype m_recordLine = 1;
    qsizetype m_quoteLine = 1;
    Error m_error = Error::None;
    qsizetype m_errorLine = 0;
};

}  // namespace quillet
