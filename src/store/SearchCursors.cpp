#include "store/SearchCursors.h"

#include <sqlite3.h>

#include <QStringList>
#include <algorithm>

#include "base/Logging.h"
#include "store/CaseFolding.h"

namespace quillet {

namespace {

QString quoted(QString text) {
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

// Whether the clip's content holds the text bound as ?1.
QString matchExpression(Qt::CaseSensitivity cs) {
    return cs == Qt::CaseSensitive ? QStringLiteral("instr(content, ?1) > 0")
                                   : QStringLiteral("%1(content, ?1)")
                                         .arg(QLatin1String(CaseFolding::containsFunction));
}

}  // namespace

QString indexQuery(const QString& searchText, Qt::CaseSensitivity cs) {
    QString text = searchText;
    if (cs == Qt::CaseInsensitive) {
        const QByteArray utf8 = searchText.toUtf8();
        text = QString::fromStdString(CaseFolding::fold(utf8.constData(), int(utf8.size())));
    }
    const QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() < 3) return quoted(text) + u'*';
    QStringList terms;
    for (qsizetype i = 0; i + 3 <= codePoints.size(); ++i) {
        const QString term =
            quoted(QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoints[i]), 3));
        if (!terms.contains(term)) terms << term;
    }
    return terms.join(QStringLiteral(" AND "));
}

ScanCursor::ScanCursor(sqlite3* db, QString text, Qt::CaseSensitivity cs, int stepSize)
    : m_db(db), m_text(std::move(text)), m_cs(cs), m_stepSize(stepSize) {}

bool ScanCursor::stepRows(std::vector<qint64>& rows, int count) {
    const QString match = matchExpression(m_cs);
    SqlStatement statement(m_db, m_resume
                                     ? QStringLiteral("SELECT timestamp, pk, %1 FROM ClipItem "
                                                      "WHERE (timestamp, pk) < (?2, ?3) "
                                                      "ORDER BY timestamp DESC, pk DESC LIMIT ?4")
                                           .arg(match)
                                     : QStringLiteral("SELECT timestamp, pk, %1 FROM ClipItem "
                                                      "ORDER BY timestamp DESC, pk DESC LIMIT ?4")
                                           .arg(match));
    statement.bind(1, m_text);
    if (m_resume) {
        statement.bind(2, m_resume->timestamp);
        statement.bind(3, m_resume->rowId);
    }
    statement.bind(4, count);
    int examined = 0;
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        ++examined;
        m_resume = ClipOrderEntry{statement.int64(0), statement.int64(1)};
        if (statement.int64(2) != 0) rows.push_back(m_resume->rowId);
    }
    if (rc != SQLITE_DONE) {
        qCWarning(lcStore) << "search step failed, the list ends here:" << statement.error();
        return false;
    }
    return examined == count;
}

bool PrefixedCursor::step(std::vector<qint64>& rows) {
    rows.insert(rows.end(), m_found.begin(), m_found.end());
    m_found.clear();
    if (!m_rest) return false;
    if (m_rest->step(rows)) return true;
    m_rest.reset();
    return false;
}

CandidateCursor::CandidateCursor(sqlite3* db, QString text, Qt::CaseSensitivity cs,
                                 std::vector<qint64> candidates, int stepSize)
    : m_statement(db,
                  QStringLiteral("SELECT %1 FROM ClipItem WHERE pk = ?2").arg(matchExpression(cs))),
      m_text(std::move(text)),
      m_candidates(std::move(candidates)),
      m_stepSize(size_t(stepSize)) {}

bool CandidateCursor::step(std::vector<qint64>& rows) {
    const size_t end = std::min(m_next + m_stepSize, m_candidates.size());
    for (; m_next < end; ++m_next) {
        m_statement.reset();
        m_statement.bind(1, m_text);
        m_statement.bind(2, m_candidates[m_next]);
        const int rc = m_statement.step();
        if (rc == SQLITE_ROW && m_statement.int64(0) != 0) {
            rows.push_back(m_candidates[m_next]);
        } else if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            qCWarning(lcStore) << "search step failed, the list ends here:" << m_statement.error();
            m_next = m_candidates.size();
            return false;
        }
    }
    return m_next < m_candidates.size();
}

}  // namespace quillet
