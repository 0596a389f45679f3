#include "phrases/PhraseCSVParser.h"

namespace quillet {

namespace {

// Titles lose tabs and space separators at both ends; line breaks stay (a quoted title may
// begin or end with one on purpose).
bool isTitleSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedTitle(const QString& field) {
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && isTitleSpace(field[begin])) ++begin;
    while (end > begin && isTitleSpace(field[end - 1])) --end;
    return begin == 0 && end == field.size() ? field : field.mid(begin, end - begin);
}

// The field limit is stated in bytes of the file, which is UTF-8.
qsizetype utf8Length(QStringView text) {
    qsizetype bytes = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // Each half of a surrogate pair stands for two of the pair's four bytes.
        bytes += u < 0x80 ? 1 : (u < 0x800 || c.isSurrogate()) ? 2 : 3;
    }
    return bytes;
}

}  // namespace

void PhraseCSVParser::fail(Error error, qsizetype line) {
    m_error = error;
    m_errorLine = line;
}

void PhraseCSVParser::countLineBreak(QChar c) {
    if (c == u'\r' || (c == u'\n' && !m_previousWasCR)) ++m_line;
    m_previousWasCR = c == u'\r';
}

void PhraseCSVParser::appendToField(QStringView run) {
    m_fieldBytes += utf8Length(run);
    if (m_fieldBytes > m_limits.maxFieldBytes) return fail(Error::FieldTooLong, m_recordLine);
    // Columns after the third are ignored, so they are not kept either.
    if (m_fieldsEnded < 3) m_field += run;
}

void PhraseCSVParser::endField() {
    if (m_fieldsEnded == 0) m_title = std::move(m_field);
    if (m_fieldsEnded == 1) m_body = std::move(m_field);
    if (m_fieldsEnded == 2) m_abbreviation = std::move(m_field);
    if (m_fieldsEnded < 3) ++m_fieldsEnded;
    m_field.clear();
    m_fieldBytes = 0;
}

void PhraseCSVParser::endRecord() {
    endField();
    const int fields = m_fieldsEnded;
    const bool complete = fields >= 2;
    m_fieldsEnded = 0;
    if (!complete) return;
    // A record of two fields has no abbreviation.
    PhraseRow row{trimmedTitle(m_title), std::move(m_body),
                  fields >= 3 ? trimmedTitle(m_abbreviation) : QString()};
    m_title.clear();
    m_body.clear();
    m_abbreviation.clear();
    if (row.title.isEmpty() && row.body.isEmpty()) return;
    if (!m_firstRowSeen) {
        m_firstRowSeen = true;
        if (row.title == QLatin1String("title")) return;
    }
    m_rows.push_back(std::move(row));
    if (qsizetype(m_rows.size()) > m_limits.maxRows) fail(Error::TooManyRows, m_recordLine);
}

bool PhraseCSVParser::feed(QStringView text) {
    if (m_error != Error::None) return false;
    const qsizetype size = text.size();
    qsizetype i = 0;
    if (!m_started && size > 0) {
        m_started = true;
        if (text[0] == QChar(0xFEFF)) i = 1;
    }
    if (i < size && m_skipLF) {
        m_skipLF = false;
        if (text[i] == u'\n') {
            m_previousWasCR = false;
            ++i;
        }
    }
    if (i < size && m_quotePending) {
        m_quotePending = false;
        if (text[i] == u'"') {
            countLineBreak(text[i]);
            appendToField(u"\"");
            ++i;
        } else {
            m_inQuotes = false;
        }
    }
    while (i < size && m_error == Error::None) {
        const QChar c = text[i];
        if (c == u'"') {
            countLineBreak(c);
            ++i;
            if (!m_inQuotes) {
                // A quote opens quoting wherever it stands and is never kept.
                m_inQuotes = true;
                m_quoteLine = m_line;
            } else if (i == size) {
                m_quotePending = true;  // closing, or the first of a doubled quote
            } else if (text[i] == u'"') {
                appendToField(u"\"");
                ++i;
            } else {
                m_inQuotes = false;
            }
        } else if (!m_inQuotes && c == u',') {
            countLineBreak(c);
            endField();
            ++i;
        } else if (!m_inQuotes && (c == u'\n' || c == u'\r')) {
            countLineBreak(c);
            endRecord();
            ++i;
            if (c == u'\r') {
                if (i == size) {
                    m_skipLF = true;
                } else if (text[i] == u'\n') {
                    m_previousWasCR = false;
                    ++i;
                }
            }
            m_recordLine = m_line;
        } else {
            // Runs of plain characters are appended at once rather than one by one.
            qsizetype end = i;
            while (end < size) {
                const QChar next = text[end];
                if (next == u'"' ||
                    (!m_inQuotes && (next == u',' || next == u'\n' || next == u'\r')))
                    break;
                countLineBreak(next);
                ++end;
            }
            appendToField(text.mid(i, end - i));
            i = end;
        }
    }
    return m_error == Error::None;
}

bool PhraseCSVParser::finish() {
    if (m_error != Error::None) return false;
    if (m_quotePending) {
        m_quotePending = false;
        m_inQuotes = false;
    }
    if (m_inQuotes) {
        fail(Error::UnclosedQuote, m_quoteLine);
        return false;
    }
    if (!m_field.isEmpty() || m_fieldsEnded > 0) endRecord();
    return m_error == Error::None;
}

}  // namespace quillet
