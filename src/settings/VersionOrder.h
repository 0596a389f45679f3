#pragma once

#include <QString>
#include <compare>

namespace quillet {

// Orders version texts as people read them: runs of decimal digits compare by their value
// (1.9 < 1.10), every other character by its code, case-sensitively and whatever the locale;
// a text that is a prefix of the other is lower (1.0 < 1.0.1). Digit runs of equal value
// (01 and 1) count as equal.
std::strong_ordering compareVersions(QStringView a, QStringView b);
// A text that holds a version number at all (a run of decimal digits): "garbage" is none,
// and such a text is never newer than ours.
bool isVersionNumber(QStringView text);

}  // namespace quillet
