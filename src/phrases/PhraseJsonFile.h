#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "phrases/PhraseCSVFile.h"

namespace quillet {

class PhraseCategory;

// This program's own phrase files: the whole library as JSON, categories in their order, each
// with its phrases (title, body, abbreviation) in theirs.
//
//   {"format": "quillet-phrases", "version": 1,
//    "categories": [{"name": "Work", "phrases": [{"title": "…", "body": "…",
//                                                  "abbreviation": "…"}]}]}
namespace PhraseJsonFile {

struct Category {
    QString name;
    std::vector<PhraseRow> phrases;
};

// A stored category as the file holds it: its name, its phrases in their order.
Category of(const PhraseCategory& category);
QByteArray write(const std::vector<Category>& categories);
// The phrases of every category, in file order. A file of another kind, or a phrase that is
// not an object of texts, refuses the whole file.
PhraseCSVFile::ParseResult parse(const QByteArray& bytes, const PhraseCSVFile::Limits& limits = {});

}  // namespace PhraseJsonFile
}  // namespace quillet
