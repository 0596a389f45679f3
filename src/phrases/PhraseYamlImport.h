#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "phrases/PhraseCSVFile.h"

namespace quillet {

// Reads the match files of text expanders: a top-level `matches:` list whose entries have a
// `trigger` (or a `triggers` list), a `replace` text, an optional `label` and `vars`. Each
// entry becomes one phrase: its first trigger the abbreviation, its label (else the trigger)
// the title, its replace text the body, with the variables turned into this program's
// placeholders: date → {date:FORMAT} (the strftime format in Qt's letters), clipboard →
// {clipboard}, echo → its text, form fields → {input:Label} or {choice:Label=a|b}, choice →
// {choice:Label=a|b}. Variables that would run a program (shell, script) are never run: their
// reference stays in the body as written, with a warning. Literal braces are escaped.
//
// The file is hostile: its nesting depth is bounded, and so is the walk over the parsed
// nodes, so an alias repeated over and over cannot expand past the file's own size. Pure and
// safe on any thread.
namespace PhraseYamlImport {

// A file nested deeper than this is refused before it is built.
constexpr int maxDepth = 64;

PhraseCSVFile::ParseResult parse(const QByteArray& bytes,
                                 const PhraseCSVFile::Limits& limits = {});

// `format` (strftime) in Qt's date-time letters, text quoted; directives without an
// equivalent are added to `unsupported` and kept as literal text.
QString qtDateFormat(const QString& format, QStringList* unsupported = nullptr);

}  // namespace PhraseYamlImport
}  // namespace quillet
