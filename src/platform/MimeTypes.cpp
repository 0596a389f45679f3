#include "platform/MimeTypes.h"

#include <QUrl>

#include "platform/Pasteboard.h"

namespace quillet {

namespace {

bool hasFileUrl(const QByteArray& list) {
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray entry = line.trimmed();
        if (entry.isEmpty() || entry.startsWith('#')) continue;
        // x-special/gnome-copied-files starts with "copy" or "cut" before the URLs.
        if (entry == "copy" || entry == "cut") continue;
        if (QUrl(QString::fromUtf8(entry)).isLocalFile()) return true;
    }
    return false;
}

}  // namespace

bool isPlainTextFormat(const QString& format) {
    return format == QLatin1String("UTF8_STRING") || format == QLatin1String("STRING") ||
           format == QLatin1String("TEXT") || format == QLatin1String("COMPOUND_TEXT") ||
           format == QLatin1String("text/plain") || format.startsWith(QLatin1String("text/plain;"));
}

QStringList mapClipboardFormats(const QStringList& formats, const QByteArray& uriList,
                                const QByteArray& passwordHint) {
    QStringList types;
    auto add = [&types](const QString& type) {
        if (!types.contains(type)) types.append(type);
    };
    for (const QString& format : formats) {
        if (format == QLatin1String("text/uri-list") ||
            format == QLatin1String("x-special/gnome-copied-files")) {
            if (hasFileUrl(uriList)) add(PasteboardType::fileURL);
        } else if (format == QLatin1String("image/png")) {
            add(PasteboardType::png);
        } else if (format.startsWith(QLatin1String("image/"))) {
            add(PasteboardType::tiff);
        } else if (format == QLatin1String("x-kde-passwordManagerHint")) {
            if (passwordHint.trimmed() == "secret") add(PasteboardType::concealed);
        } else if (isPlainTextFormat(format)) {
            add(PasteboardType::string);
        }
        // Raw X targets (TARGETS, MULTIPLE, TIMESTAMP, SAVE_TARGETS...) and other formats
        // carry nothing the monitor looks at.
    }
    return types;
}

}  // namespace quillet
