// libFuzzer target for the placeholder filler: any body, clipboard text and library of other
// phrases fills in without a crash, a hang or an undefined operation, within the size bound;
// a body without braces comes back unchanged; a body whose braces are all doubled comes back
// as the text it escapes; the caret never lies outside the text.
//
// Input: pieces separated by U+001E: the body, the clipboard text, then the phrases C/p2,
// C/p3, ... that {phrase:C/pN} finds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "phrases/PlaceholderFiller.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using quillet::FillContext;
    using quillet::PlaceholderFiller;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList pieces = text.split(QChar(0x1e));
    const QString& body = pieces[0];

    FillContext context;
    context.now = QDateTime(QDate(2026, 12, 31), QTime(23, 59), Qt::UTC).addDays(qint64(size));
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English),
                                      QLocale(QLocale::Japanese)};
    context.locale = locales[size % 3];
    if (pieces.size() > 1) context.clipboard = pieces[1];
    context.lookup = [&pieces](const QString& category, const QString& title) {
        bool ok = false;
        const int index = title.mid(1).toInt(&ok);
        if (category != u"C" || !title.startsWith(u'p') || !ok || index < 2 ||
            index >= pieces.size())
            return std::optional<QString>();
        return std::optional<QString>(pieces[index]);
    };

    const auto fields = PlaceholderFiller::needs(body, context.lookup).fields;
    for (const auto& field : fields) context.answers.insert(field.label, field.label);
    if (context.answers.size() != fields.size()) std::abort();  // each label once

    const auto filled = PlaceholderFiller::fill(body, context);
    if (filled.text.size() > PlaceholderFiller::maxOutputLength) std::abort();
    if (filled.caretLeft < 0 || filled.caretLeft > filled.text.size()) std::abort();
    if (!filled.hasCursor && filled.caretLeft != 0) std::abort();
    if (!PlaceholderFiller::mayHavePlaceholders(body) && filled.text != body) std::abort();

    QString escaped = body;
    escaped.replace(u'{', QLatin1String("{{")).replace(u'}', QLatin1String("}}"));
    const auto literal = PlaceholderFiller::fill(escaped, context);
    if (literal.text != body || literal.hasCursor || !literal.complete) std::abort();
    return 0;
}
