#pragma once

#include <QString>
#include <optional>

namespace quillet {

// Puts our text on the system clipboard, the way a session allows: Qt's clipboard, our own X11
// selection owner, a Wayland data-control source. Whether the text got there is learnt from the
// reader, which sees it come back.
class ClipboardWriter {
public:
    ClipboardWriter() = default;
    virtual ~ClipboardWriter() = default;
    ClipboardWriter(const ClipboardWriter&) = delete;
    ClipboardWriter& operator=(const ClipboardWriter&) = delete;

    // Makes `text` the clipboard (none: gives it up). False when the system refused at once.
    virtual bool write(const std::optional<QString>& text) = 0;
    // Says in the log why a write was refused.
    virtual const char* refusal() const = 0;
};

}  // namespace quillet
