#include "platform/qt/QtClipboardReader.h"

#include <QClipboard>
#include <QMimeData>

#include "platform/MimeTypes.h"
#include "platform/Pasteboard.h"

namespace quillet {

QtClipboardReader::QtClipboardReader(QClipboard* clipboard, QObject* parent)
    : ClipboardReader(parent), m_clipboard(clipboard) {
    connect(m_clipboard, &QClipboard::dataChanged, this, [this] {
        if (!isPaused()) emit changeRead(snapshotOf(m_clipboard));
    });
}

ClipboardSnapshot QtClipboardReader::snapshotOf(QClipboard* clipboard) {
    ClipboardSnapshot snapshot;
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    if (data == nullptr) return snapshot;
    // The data is live: copy what we need now.
    const QStringList formats = data->formats();
    QByteArray uriList = data->data(QStringLiteral("text/uri-list"));
    if (uriList.isEmpty()) uriList = data->data(QStringLiteral("x-special/gnome-copied-files"));
    const QByteArray hint = data->data(QStringLiteral("x-kde-passwordManagerHint"));
    snapshot.types = mapClipboardFormats(formats, uriList, hint);
    if (data->hasText()) snapshot.text = data->text();
    return snapshot;
}

void QtClipboardReader::requestRead(quint64 ticket) {
    emit snapshotRead(ticket, snapshotOf(m_clipboard));
}

}  // namespace quillet
