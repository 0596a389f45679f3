#pragma once

#include <QString>

namespace quillet {

// Receives each newly copied plain text that the monitor decided to record.
class ClipboardMonitorDelegate {
public:
    virtual ~ClipboardMonitorDelegate() = default;
    virtual void clipboardDidChange(const QString& text) = 0;
};

}  // namespace quillet
