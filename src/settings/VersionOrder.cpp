#include "settings/VersionOrder.h"

#include <algorithm>

namespace quillet {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The digit run starting at `i`, without leading zeros; `i` moves past it.
QStringView digitRun(QStringView text, qsizetype& i) {
    const qsizetype start = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    qsizetype first = start;
    while (first < i - 1 && text[first] == u'0') ++first;
    return text.sliced(first, i - first);
}

}  // namespace

std::strong_ordering compareVersions(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compared as texts of digits: no run is too long for its value.
            const QStringView left = digitRun(a, i);
            const QStringView right = digitRun(b, j);
            if (left.size() != right.size()) return left.size() <=> right.size();
            if (const int order = left.compare(right); order != 0) return order <=> 0;
            continue;
        }
        if (a[i] != b[j]) return a[i].unicode() <=> b[j].unicode();
        ++i;
        ++j;
    }
    return (a.size() - i != 0) <=> (b.size() - j != 0);
}

bool isVersionNumber(QStringView text) {
    return std::any_of(text.begin(), text.end(), isDigit);
}

}  // namespace quillet
