#pragma once

#include <memory>

#include "platform/ReadAheadPasteboard.h"
#include "platform/wayland/WaylandClipboardReader.h"

namespace quillet {

// The Wayland clipboard through data-control: read ahead by the reader's thread and written
// through it too, so a paste works while another window has the focus. The reader follows
// every selection the compositor announces.
class WaylandPasteboard final : public ReadAheadPasteboard {
    Q_OBJECT
public:
    explicit WaylandPasteboard(std::unique_ptr<WaylandClipboardReader> reader,
                               QObject* parent = nullptr);
    ~WaylandPasteboard() override;

    bool setString(const QString& text) override;

protected:
    bool writeSelection(const std::optional<QString>& text) override {
        return m_reader->writeText(text);
    }

private:
    std::unique_ptr<WaylandClipboardReader> m_reader;
};

}  // namespace quillet
