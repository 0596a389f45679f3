#pragma once

#include "platform/ClipboardReader.h"

class QClipboard;

namespace quillet {

// Reads QClipboard in the calling thread. Right for platforms where the clipboard lives in
// our own process (offscreen, tests); on X11 the threaded reader is used instead.
class QtClipboardReader final : public ClipboardReader {
    Q_OBJECT
public:
    explicit QtClipboardReader(QClipboard* clipboard, QObject* parent = nullptr);
    void requestRead(quint64 ticket) override;

    static ClipboardSnapshot snapshotOf(QClipboard* clipboard);

private:
    QClipboard* m_clipboard;
};

}  // namespace quillet
