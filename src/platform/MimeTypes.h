#pragma once

#include <QByteArray>
#include <QStringList>

namespace quillet {

// Maps the formats a clipboard owner offers (MIME types and raw X targets) to the type
// identifiers the monitor tests for. `uriList` is the text/uri-list content when offered,
// `passwordHint` the x-kde-passwordManagerHint content when offered.
QStringList mapClipboardFormats(const QStringList& formats, const QByteArray& uriList,
                                const QByteArray& passwordHint);

// True for formats that name plain text (text/plain, UTF8_STRING, STRING...).
bool isPlainTextFormat(const QString& format);

}  // namespace quillet
