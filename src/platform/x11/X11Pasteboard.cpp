#include "platform/x11/X11Pasteboard.h"

#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11SelectionOwner.h"

namespace quillet {

X11Pasteboard::X11Pasteboard(std::unique_ptr<X11ClipboardReader> reader,
                             std::unique_ptr<X11SelectionOwner> owner,
                             std::unique_ptr<PrimarySelection> primary, QObject* parent)
    : ReadAheadPasteboard(*reader, "the X server did not make us its owner", parent),
      m_reader(std::move(reader)),
      m_owner(std::move(owner)),
      m_primary(std::move(primary)) {}

X11Pasteboard::~X11Pasteboard() = default;

void X11Pasteboard::lendPrimary(const QString& text, std::function<void(bool)> ready) {
    if (m_primary)
        m_primary->lend(text, std::move(ready));
    else
        ready(true);
}

bool X11Pasteboard::writeSelection(const std::optional<QString>& text) {
    return m_owner->setText(text);
}

bool X11Pasteboard::setString(const QString& text) {
    const bool owned = ReadAheadPasteboard::setString(text);
    // Without XFixes nothing reads our write back by itself.
    if (!m_reader->watchesOwner()) m_reader->requestRead(m_nextTicket++);
    return owned;
}

}  // namespace quillet
