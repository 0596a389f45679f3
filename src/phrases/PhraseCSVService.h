#pragma once

#include <QString>
#include <memory>
#include <vector>

namespace quillet {

class PhraseItem;

// One record of a phrase file as it qualifies for import.
struct PhraseRow {
    QString title;
    QString body;
    QString abbreviation = {};  // none when the file has no third column
    friend bool operator==(const PhraseRow&, const PhraseRow&) = default;
};

// The text side of phrase files: "title,body,abbreviation" header, quoted as needed; the third
// column may be left out (files of two columns are read as phrases without abbreviations).
// Touches no file and no store.
class PhraseCSVService {
public:
    const QString header = QStringLiteral("title,body,abbreviation");

    // The field as written into a record: in double quotes (inner quotes doubled) when it
    // holds a comma, a quote, LF or CR; otherwise unchanged.
    static QString escapeField(const QString& field);
    // The header and one record per phrase, ordered by sortOrder (stable); LF between
    // records, none after the last.
    QString exportCSV(const std::vector<std::shared_ptr<PhraseItem>>& phrases) const;
    // The same for rows already in file order.
    QString exportRows(const std::vector<PhraseRow>& rows) const;
    // The header and one sample record a user can copy in a spreadsheet.
    QString generateTemplate() const;
    // The rows of `text` that qualify for import, in file order. LF, CR and CR LF end a
    // record; a first row titled "title" is the header and skipped; a leading byte-order
    // mark is ignored. A record whose quote is never closed is left out (PhraseCSVParser
    // tells why).
    static std::vector<PhraseRow> parseCSV(const QString& text);
};

}  // namespace quillet
