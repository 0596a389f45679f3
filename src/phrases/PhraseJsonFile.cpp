#include "phrases/PhraseJsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"

namespace quillet::PhraseJsonFile {

namespace {

const QLatin1String kFormat("quillet-phrases");
constexpr int kVersion = 1;

using Result = PhraseCSVFile::ParseResult;
using Status = Result::Status;

Result malformed(const QString& reason) {
    return PhraseCSVFile::refusal(Status::Malformed, reason, 0);
}

}  // namespace

Category of(const PhraseCategory& category) {
    Category exported{category.name(), {}};
    for (const auto& phrase : category.sortedItems())
        exported.phrases.push_back({phrase->title(), phrase->body(), phrase->abbreviation()});
    return exported;
}

QByteArray write(const std::vector<Category>& categories) {
    QJsonArray list;
    for (const Category& category : categories) {
        QJsonArray phrases;
        for (const PhraseRow& row : category.phrases)
            phrases.append(QJsonObject{{"title", row.title},
                                       {"body", row.body},
                                       {"abbreviation", row.abbreviation}});
        list.append(QJsonObject{{"name", category.name}, {"phrases", phrases}});
    }
    const QJsonObject root{{"format", kFormat}, {"version", kVersion}, {"categories", list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Result parse(const QByteArray& bytes, const PhraseCSVFile::Limits& limits) {
    if (bytes.size() > limits.maxBytes) return PhraseCSVFile::refusal(Status::TooLarge);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (document.isNull())
        return malformed(QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset));
    const QJsonObject root = document.object();
    if (root.value("format").toString() != kFormat)
        return malformed(QStringLiteral("not a phrase library (no \"format\": \"%1\")").arg(kFormat));
    if (root.value("version").toInt() > kVersion)
        return malformed(QStringLiteral("written by a newer version (%1)")
                             .arg(root.value("version").toInt()));
    Result result;
    const QJsonArray categories = root.value("categories").toArray();
    for (qsizetype c = 0; c < categories.size(); ++c) {
        const QJsonArray phrases = categories[c].toObject().value("phrases").toArray();
        for (qsizetype p = 0; p < phrases.size(); ++p) {
            const QJsonObject phrase = phrases[p].toObject();
            const QJsonValue title = phrase.value("title");
            const QJsonValue body = phrase.value("body");
            const QJsonValue abbreviation = phrase.value("abbreviation");
            if (!phrases[p].isObject() || !title.isString() || !body.isString() ||
                !(abbreviation.isString() || abbreviation.isUndefined()))
                return malformed(QStringLiteral("phrase %1 of category %2 is not a title and a body")
                                     .arg(p + 1)
                                     .arg(c + 1));
            PhraseRow row{title.toString(), body.toString(), abbreviation.toString()};
            if (qsizetype(row.body.toUtf8().size()) > limits.parser.maxFieldBytes)
                return PhraseCSVFile::refusal(Status::FieldTooLong);
            result.rows.push_back(std::move(row));
            if (qsizetype(result.rows.size()) > limits.parser.maxRows) return PhraseCSVFile::refusal(Status::TooManyRows);
        }
    }
    if (result.rows.empty()) result.status = Status::NoRows;
    return result;
}

}  // namespace quillet::PhraseJsonFile
