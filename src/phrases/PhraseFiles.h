#pragma once

#include <QString>

#include "phrases/PhraseCSVFile.h"

namespace quillet {

// The phrase files this program reads, told apart by their name: CSV (PhraseCSVFile), an
// expander's YAML match file (PhraseYamlImport) and its own JSON (PhraseJsonFile).
namespace PhraseFiles {

enum class Format { Csv, Yaml, Json };

// By the extension: .yml and .yaml are YAML, .json is JSON, anything else CSV.
Format formatOf(const QString& path);

// Reads and parses the file whole, within the limits, on any thread; a YAML or JSON file is
// read piece by piece first (cancel and progress as for CSV), then parsed.
PhraseCSVFile::ParseResult read(const QString& path, const PhraseCSVFile::Limits& limits = {},
                                PhraseCSVFile::Progress* progress = nullptr);

}  // namespace PhraseFiles
}  // namespace quillet
