#include "phrases/PhraseCSVService.h"

#include <algorithm>

#include "phrases/PhraseCSVParser.h"
#include "store/PhraseItem.h"

namespace quillet {

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
        text += u',';
        text += escapeField(row.abbreviation);
    }
    return text;
}

QString PhraseCSVService::exportCSV(const std::vector<std::shared_ptr<PhraseItem>>& phrases) const {
    std::vector<std::shared_ptr<PhraseItem>> sorted = phrases;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    std::vector<PhraseRow> rows;
    rows.reserve(sorted.size());
    for (const auto& phrase : sorted) rows.push_back({phrase->title(), phrase->body(), phrase->abbreviation()});
    return exportRows(rows);
}

QString PhraseCSVService::generateTemplate() const {
    const QString title = QStringLiteral("サンプルタイトル");
    const QString body = QStringLiteral(
        "ここに定型文の本文を入力してください。\n"
        "改行や,（カンマ）も使用可能です。");
    return header + u'\n' + escapeField(title) + u',' + escapeField(body) +
           QStringLiteral(",sample");
}

std::vector<PhraseRow> PhraseCSVService::parseCSV(const QString& text) {
    PhraseCSVParser parser;
    parser.feed(text);
    parser.finish();
    return parser.takeRows();
}

}  // namespace quillet
