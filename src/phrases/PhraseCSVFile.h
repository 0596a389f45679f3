#pragma once

#include <QString>

namespace quillet {

// Whole-file reads and atomic writes of phrase files, with the reason when they fail.
namespace PhraseCSVFile {

// Phrase files are read whole; anything larger is refused rather than loaded.
constexpr qint64 maxBytes = 64LL * 1024 * 1024;

struct ReadResult {
    enum class Status { Ok, Unreadable, TooLarge, NotUtf8 };
    Status status = Status::Ok;
    QString text;    // the decoded text when Ok
    QString reason;  // the system's reason when Unreadable
};

ReadResult read(const QString& path, qint64 limit = maxBytes);
// Encodes `text` as UTF-8 and replaces the file in one step: on failure an existing file is
// left as it was. Returns the system's reason on failure, an empty text on success.
QString write(const QString& path, const QString& text);

}  // namespace PhraseCSVFile
}  // namespace quillet
