#include "platform/qt/QtClipboardWriter.h"

#include <QClipboard>

namespace quillet {

bool QtClipboardWriter::write(const std::optional<QString>& text) {
    if (text)
        m_clipboard->setText(*text, QClipboard::Clipboard);
    else
        m_clipboard->clear(QClipboard::Clipboard);
    return true;
}

void QtPrimarySelection::lend(const QString& text, std::function<void(bool)> ready) {
    if (m_clipboard->supportsSelection()) m_clipboard->setText(text, QClipboard::Selection);
    ready(true);
}

}  // namespace quillet
