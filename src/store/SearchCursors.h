#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "store/ClipList.h"
#include "store/SearchCursor.h"
#include "store/SqlStatement.h"

struct sqlite3;

namespace quillet {

// The pieces StorageService::search puts together. Each confirms matches on the clips' own
// text: exactly (instr) with Qt::CaseSensitive, else on the case-folded text (CaseFolding).

// The index query for a text: every trigram of it must be present; a text of one or two
// characters must begin some token. Without case, the text is folded first (see
// TrigramTokenizer). The index keeps no positions, so its candidates still need confirming.
QString indexQuery(const QString& searchText, Qt::CaseSensitivity cs);

// Examines every clip, newest first, a step of rows at a time (keyset paging on the
// timestamp index, so each step starts where the last one ended).
class ScanCursor final : public SearchCursor {
public:
    ScanCursor(sqlite3* db, QString text, Qt::CaseSensitivity cs, int stepSize);

    bool step(std::vector<qint64>& rows) override { return stepRows(rows, m_stepSize); }
    // One step of `count` rows.
    bool stepRows(std::vector<qint64>& rows, int count);
    // The last clip examined, if any: every clip before it in the order was examined.
    const std::optional<ClipOrderEntry>& examinedDownTo() const { return m_resume; }

private:
    sqlite3* m_db;
    QString m_text;
    Qt::CaseSensitivity m_cs;
    int m_stepSize;
    std::optional<ClipOrderEntry> m_resume;
};

// Matches already found, then those of another cursor.
class PrefixedCursor final : public SearchCursor {
public:
    PrefixedCursor(std::vector<qint64> found, std::unique_ptr<SearchCursor> rest)
        : m_found(std::move(found)), m_rest(std::move(rest)) {}

    bool step(std::vector<qint64>& rows) override;

private:
    std::vector<qint64> m_found;
    std::unique_ptr<SearchCursor> m_rest;
};

// Confirms index candidates, already newest first, against the clips' text.
class CandidateCursor final : public SearchCursor {
public:
    CandidateCursor(sqlite3* db, QString text, Qt::CaseSensitivity cs,
                    std::vector<qint64> candidates, int stepSize);

    bool step(std::vector<qint64>& rows) override;

private:
    SqlStatement m_statement;
    QString m_text;
    std::vector<qint64> m_candidates;
    size_t m_stepSize;
    size_t m_next = 0;
};

}  // namespace quillet
