#include "phrases/PhraseFiles.h"

#include <QFile>
#include <QFileInfo>

#include "phrases/PhraseJsonFile.h"
#include "phrases/PhraseYamlImport.h"

namespace quillet::PhraseFiles {

namespace {

constexpr qint64 pieceBytes = 256 * 1024;

using Result = PhraseCSVFile::ParseResult;
using Status = Result::Status;

}  // namespace

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("yml") || suffix == QLatin1String("yaml")) return Format::Yaml;
    if (suffix == QLatin1String("json")) return Format::Json;
    return Format::Csv;
}

Result read(const QString& path, const PhraseCSVFile::Limits& limits,
            PhraseCSVFile::Progress* progress) {
    const Format format = formatOf(path);
    if (format == Format::Csv) return PhraseCSVFile::parse(path, limits, progress);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return PhraseCSVFile::refusal(Status::Unreadable, file.errorString(), 0);
    if (!file.isSequential()) {
        if (file.size() > limits.maxBytes) return PhraseCSVFile::refusal(Status::TooLarge);
        if (progress) progress->totalBytes = file.size();
    }
    QByteArray bytes;
    for (;;) {
        if (progress && progress->cancelled) return PhraseCSVFile::refusal(Status::Cancelled);
        const QByteArray piece = file.read(pieceBytes);
        if (piece.isEmpty()) {
            if (file.error() != QFile::NoError) return PhraseCSVFile::refusal(Status::Unreadable, file.errorString(), 0);
            break;
        }
        bytes += piece;
        // A pipe's size is known only at its end.
        if (bytes.size() > limits.maxBytes) return PhraseCSVFile::refusal(Status::TooLarge);
        if (progress) progress->bytesRead = bytes.size();
    }
    return format == Format::Yaml ? PhraseYamlImport::parse(bytes, limits)
                                  : PhraseJsonFile::parse(bytes, limits);
}

}  // namespace quillet::PhraseFiles
