#pragma once

#include "platform/ClipboardReader.h"

class QClipboard;

namespace quillet {

// Reads QClipboard in the calling thread, when asked and each time Qt says the clipboard
// changed (not while paused). Right for platforms where the clipboard lives in our own process
// (offscreen, tests) or reaches us only through Qt; Qt's notice is not proof of every change
// there, so the reader does not claim to watch the owner.
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
