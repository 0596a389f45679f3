#pragma once

#include <QString>

namespace quillet {

// A clip of white space only (spaces, tabs, line breaks) reads as nothing in a menu or a list.
// Such a text is shown as symbols for what it holds, "␣" for a space, "⇥" for a tab, "↵" for
// a line break, followed by a label; the text itself is stored and pasted as it is.

// Whether `text` is not empty and holds white space only.
bool isBlankText(const QString& text);
// The symbols for a blank `text`, at most `maxSymbols` of them (then "…").
QString blankTextSymbols(const QString& text, qsizetype maxSymbols = 20);
// What a row shows for a blank `text`: its symbols and the label. Empty for any other text.
QString blankTextMarker(const QString& text);

}  // namespace quillet
