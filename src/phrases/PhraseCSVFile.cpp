#include "phrases/PhraseCSVFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace quillet::PhraseCSVFile {

ReadResult read(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {ReadResult::Status::Unreadable, {}, file.errorString()};
    // Read one byte past the limit: the size of a pipe or special file is not known before.
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return {ReadResult::Status::Unreadable, {}, file.errorString()};
    if (bytes.size() > limit) return {ReadResult::Status::TooLarge, {}, {}};

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return {ReadResult::Status::NotUtf8, {}, {}};
    return {ReadResult::Status::Ok, std::move(text), {}};
}

QString write(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

}  // namespace quillet::PhraseCSVFile
