#include "phrases/PhraseCSVService.h"

#include <algorithm>

#include "store/PhraseItem.h"

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

}  // namespace

QString PhraseCSVService::escapeField(const QString& field) {
    const bool needsQuotes = field.contains(u',') || field.contains(u'"') ||
                             field.contains(u'\n') || field.contains(u'\r');
    if (!needsQuotes) return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString PhraseCSVService::exportRows(const std::vector<PhraseRow>& rows) const {
    QString text = header;
    for (const PhraseRow& row : rows) {
        text += u'\n';
        text += escapeField(row.title);
        text += u',';
        text += escapeField(row.body);
    }
    return text;
}

QString PhraseCSVService::exportCSV(const std::vector<std::shared_ptr<PhraseItem>>& phrases) const {
    std::vector<std::shared_ptr<PhraseItem>> sorted = phrases;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    std::vector<PhraseRow> rows;
    rows.reserve(sorted.size());
    for (const auto& phrase : sorted) rows.push_back({phrase->title(), phrase->body()});
    return exportRows(rows);
}

QString PhraseCSVService::generateTemplate() const {
    const QString title = QStringLiteral("サンプルタイトル");
    const QString body = QStringLiteral(
        "ここに定型文の本文を入力してください。\n"
        "改行や,（カンマ）も使用可能です。");
    return header + u'\n' + escapeField(title) + u',' + escapeField(body);
}

std::vector<PhraseRow> PhraseCSVService::parseCSV(const QString& text) {
    std::vector<PhraseRow> rows;
    QString field;
    std::vector<QString> record;
    bool inQuotes = false;

    auto endRecord = [&] {
        record.push_back(std::move(field));
        field.clear();
        if (record.size() >= 2) {
            PhraseRow row{trimmedTitle(record[0]), std::move(record[1])};
            if (!row.title.isEmpty() || !row.body.isEmpty()) rows.push_back(std::move(row));
        }
        record.clear();
    };

    const qsizetype size = text.size();
    qsizetype i = size > 0 && text[0] == QChar(0xFEFF) ? 1 : 0;
    while (i < size) {
        const QChar c = text[i];
        if (c == u'"') {
            if (inQuotes && i + 1 < size && text[i + 1] == u'"') {
                field += u'"';
                i += 2;
                continue;
            }
            // A quote opens or closes quoting wherever it stands and is never kept.
            inQuotes = !inQuotes;
            ++i;
        } else if (!inQuotes && c == u',') {
            record.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (!inQuotes && (c == u'\n' || c == u'\r')) {
            endRecord();
            i += c == u'\r' && i + 1 < size && text[i + 1] == u'\n' ? 2 : 1;
        } else {
            // Runs of plain characters are appended at once rather than one by one.
            qsizetype end = i + 1;
            while (end < size) {
                const QChar next = text[end];
                if (next == u'"' || (!inQuotes && (next == u',' || next == u'\n' || next == u'\r')))
                    break;
                ++end;
            }
            field += QStringView(text).mid(i, end - i);
            i = end;
        }
    }
    if (!field.isEmpty() || !record.empty()) endRecord();

    if (!rows.empty() && rows.front().title == QLatin1String("title")) rows.erase(rows.begin());
    return rows;
}

}  // namespace quillet
