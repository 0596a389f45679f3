#include "menus/BlankTextMarker.h"

#include <algorithm>

namespace quillet {

bool isBlankText(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

QString blankTextSymbols(const QString& text, qsizetype maxSymbols) {
    QString symbols;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (symbols.size() == maxSymbols) {
            symbols += QChar(0x2026);
            break;
        }
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;  // one break
        if (c == u'\t')
            symbols += QChar(0x21E5);
        else if (c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029) ||
                 c == QChar(0x0085) || c == u'\v' || c == u'\f')
            symbols += QChar(0x21B5);
        else
            symbols += QChar(0x2423);
    }
    return symbols;
}

QString blankTextMarker(const QString& text) {
    if (!isBlankText(text)) return {};
    //% "(white space only)"
    return blankTextSymbols(text) + QStringLiteral("  ") + qtTrId("BLANK_TEXT_LABEL");
}

}  // namespace quillet
