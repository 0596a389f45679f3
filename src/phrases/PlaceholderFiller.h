#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace quillet {

// A field the user answers before a phrase is pasted: {input:Label} or {choice:Label=a|b|c}.
struct PlaceholderField {
    enum class Kind { input, choice };
    Kind kind = Kind::input;
    QString label;
    QStringList choices;  // in the order written; empty for an input

    bool operator==(const PlaceholderField&) const = default;
};

// A phrase body with its placeholders filled in.
struct FilledPhrase {
    QString text;
    // How many characters follow the {cursor} mark: the Left presses that put the caret
    // there after the paste. A character is a Unicode code point; a line break (CR LF too)
    // is one. Zero without a mark.
    int caretLeft = 0;
    bool hasCursor = false;
    // False when the text hit the size or work bound; `text` is then cut short and must not
    // be pasted.
    bool complete = true;
};

// Another phrase's body by category name and title; nothing when there is no such phrase.
using PhraseLookup =
    std::function<std::optional<QString>(const QString& category, const QString& title)>;

// What a fill may use besides the body: everything outside is passed in, so the filler is a
// pure function of its arguments.
struct FillContext {
    QDateTime now;
    QLocale locale;
    std::optional<QString> clipboard;  // the clipboard's text before the paste
    PhraseLookup lookup;
    QHash<QString, QString> answers;  // by field label
};

// Fills placeholders in phrase bodies at paste time:
//   {date} {time}             now, in the locale's short format
//   {date:FORMAT [OFFSET...]} now in Qt's date-time format letters, shifted by offsets such as
//                             +1d -2w +3M +1y -4h +30m (M months, m minutes)
//   {clipboard}               the clipboard's text (empty when it holds none)
//   {cursor}                  where the caret is left; only the first one counts, any later
//                             one stays in the text as written
//   {phrase:Category/Title}   another phrase, filled in too, at most `maxDepth` deep; a
//                             reference to a phrase already being filled stays as written
//   {input:Label}             the answer to a text field
//   {choice:Label=a|b|c}      the answer to a choice (the first one without an answer)
// {{ and }} are literal braces; anything else in braces stays as written, so a body without
// placeholders comes back unchanged.
class PlaceholderFiller {
public:
    static constexpr int maxDepth = 5;
    // 64 MiB of UTF-16, the same bound as a clip read from the clipboard.
    static constexpr qsizetype maxOutputLength = 32 * 1024 * 1024;
    // Characters of other phrases' bodies read during one fill, however deep or often they
    // are referenced.
    static constexpr qsizetype maxNestedReading = 32 * 1024 * 1024;
    static constexpr int maxOffsetAmount = 100000;

    // Whether the body may hold anything to fill in or unescape: false means it is pasted as
    // it is.
    static bool mayHavePlaceholders(const QString& body);
    // What a fill of the body will need, its nested phrases' included: the fields it asks for,
    // each label once, in the order they first appear, and whether it inserts the clipboard.
    struct Needs {
        QList<PlaceholderField> fields;
        bool clipboard = false;
    };
    static Needs needs(const QString& body, const PhraseLookup& lookup);
    static FilledPhrase fill(const QString& body, const FillContext& context);
};

}  // namespace quillet
