#include "phrases/PhraseCSVFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace quillet::PhraseCSVFile {

namespace {

// Small enough that a cancel or a limit is noticed at once, large enough to read quickly.
constexpr qint64 pieceBytes = 256 * 1024;

// The length of `bytes` without a UTF-8 sequence cut off at its end.
qsizetype completeUtf8Length(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = uchar(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// The same for Shift_JIS, whose second bytes look like first ones: `bytes` must begin on a
// character, and is walked from there.
qsizetype completeShiftJisLength(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (at < size) {
        const auto byte = uchar(bytes[at]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        if (lead && at + 1 == size) return at;
        at += lead ? 2 : 1;
    }
    return size;
}

ParseResult failure(ParseResult::Status status, qsizetype line = 0) {
    return refusal(status, {}, line);
}

QStringDecoder decoderFor(Encoding encoding) {
    // Stateless: pieces end on whole characters, and a byte that cannot be decoded is an
    // error rather than being carried into the next piece. A byte-order mark is left to the
    // parser, which drops it at the very start only.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    if (encoding == Encoding::Utf8) return QStringDecoder(QStringDecoder::Utf8, flags);
    // Through ICU; windows-31j is CP932 (NEC and IBM extensions, 0x5C a backslash, 0x8160
    // the full-width tilde), which is what Shift_JIS files from Windows programs hold.
    return QStringDecoder("windows-31j", flags);
}

// Reads `file` from where it stands to its end as `encoding`. A decoding error gives
// UnknownEncoding, whatever was parsed before it.
ParseResult parseAs(QFile& file, Encoding encoding, const Limits& limits, Progress* progress) {
    using Status = ParseResult::Status;
    QStringDecoder decoder = decoderFor(encoding);
    if (!decoder.isValid()) return failure(Status::UnknownEncoding);
    const auto completeLength =
        encoding == Encoding::Utf8 ? completeUtf8Length : completeShiftJisLength;
    PhraseCSVParser parser(limits.parser);
    QByteArray buffer;
    qint64 total = 0;
    for (;;) {
        if (progress && progress->cancelled) return failure(Status::Cancelled);
        const qsizetype carried = buffer.size();
        buffer.resize(carried + pieceBytes);
        const qint64 got = file.read(buffer.data() + carried, pieceBytes);
        if (got < 0) return refusal(Status::Unreadable, file.errorString());
        buffer.resize(carried + got);
        if (got == 0) break;
        // The size of a pipe or special file is not known before: count what it gives.
        total += got;
        if (total > limits.maxBytes) return failure(Status::TooLarge);
        if (progress) progress->bytesRead = total;
        const qsizetype complete = completeLength(buffer);
        const QString text = decoder.decode(QByteArrayView(buffer.constData(), complete));
        if (decoder.hasError()) return failure(Status::UnknownEncoding);
        buffer.remove(0, complete);
        if (!parser.feed(text)) break;
    }
    if (parser.error() == PhraseCSVParser::Error::None) {
        if (!buffer.isEmpty()) return failure(Status::UnknownEncoding);  // cut off by the end
        parser.finish();
    }
    switch (parser.error()) {
        case PhraseCSVParser::Error::None:
            break;
        case PhraseCSVParser::Error::TooManyRows:
            return failure(Status::TooManyRows, parser.errorLine());
        case PhraseCSVParser::Error::FieldTooLong:
            return failure(Status::FieldTooLong, parser.errorLine());
        case PhraseCSVParser::Error::UnclosedQuote:
            return failure(Status::UnclosedQuote, parser.errorLine());
    }
    if (parser.rows().empty()) return failure(Status::NoRows);
    ParseResult result;
    result.rows = parser.takeRows();
    result.encoding = encoding;
    return result;
}

}  // namespace

ParseResult parse(const QString& path, const Limits& limits, Progress* progress) {
    using Status = ParseResult::Status;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refusal(Status::Unreadable, file.errorString());
    if (!file.isSequential()) {
        if (file.size() > limits.maxBytes) return failure(Status::TooLarge);
        if (progress) progress->totalBytes = file.size();
    }
    const ParseResult result = parseAs(file, Encoding::Utf8, limits, progress);
    // A pipe cannot be read twice; a file can.
    if (result.status != Status::UnknownEncoding || file.isSequential() || !file.seek(0))
        return result;
    if (progress) progress->bytesRead = 0;
    return parseAs(file, Encoding::ShiftJis, limits, progress);
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
