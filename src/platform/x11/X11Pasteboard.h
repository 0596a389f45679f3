#pragma once

#include <QObject>
#include <memory>

#include "platform/PrimarySelection.h"
#include "platform/ReadAheadPasteboard.h"

namespace quillet {

class X11ClipboardReader;
class X11SelectionOwner;

// The X11 CLIPBOARD selection read and written over connections of our own, without Qt's
// clipboard: on GNOME's Wayland session this is the one channel that works both ways (through
// XWayland) for a program that has no keyboard focus. The reader follows every new owner, so
// changes are announced; our own text read back is the contents we already hold, so it is not
// recorded, and seeing it come back is what confirms a write.
class X11Pasteboard final : public ReadAheadPasteboard {
    Q_OBJECT
public:
    // `primary`, where given, lends PRIMARY to terminal pastes.
    X11Pasteboard(std::unique_ptr<X11ClipboardReader> reader,
                  std::unique_ptr<X11SelectionOwner> owner,
                  std::unique_ptr<PrimarySelection> primary = nullptr, QObject* parent = nullptr);
    ~X11Pasteboard() override;

    bool setString(const QString& text) override;
    void lendPrimary(const QString& text, std::function<void(bool)> ready) override;

protected:
    bool writeSelection(const std::optional<QString>& text) override;

private:
    std::unique_ptr<X11ClipboardReader> m_reader;
    std::unique_ptr<X11SelectionOwner> m_owner;
    std::unique_ptr<PrimarySelection> m_primary;
    quint64 m_nextTicket = initialTicket + 1;
};

}  // namespace quillet
