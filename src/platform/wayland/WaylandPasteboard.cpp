#include "platform/wayland/WaylandPasteboard.h"

namespace quillet {

WaylandPasteboard::WaylandPasteboard(std::unique_ptr<WaylandClipboardReader> reader,
                                     QObject* parent)
    : ReadAheadPasteboard(*reader, "the clipboard thread did not take it", parent),
      m_reader(std::move(reader)) {}

WaylandPasteboard::~WaylandPasteboard() = default;

bool WaylandPasteboard::setString(const QString& text) {
    // A text the thread did not take is reported through confirmWrite, not here.
    ReadAheadPasteboard::setString(text);
    return true;
}

}  // namespace quillet
