#pragma once

#include <QObject>
#include <memory>

#include "platform/ClipboardReader.h"
#include "platform/Pasteboard.h"
#include "platform/PrimarySelection.h"
#include "platform/ReadingPause.h"
#include "platform/WriteConfirmation.h"

namespace quillet {

class X11ClipboardReader;
class X11SelectionOwner;

// The X11 CLIPBOARD selection read and written over connections of our own, without Qt's
// clipboard: on GNOME's Wayland session this is the one channel that works both ways (through
// XWayland) for a program that has no keyboard focus. The reader follows every new owner, so
// changes are announced; our own text read back is the contents we already hold, so it is not
// recorded, and seeing it come back is what confirms a write.
class X11Pasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // `primary`, where given, lends PRIMARY to terminal pastes.
    X11Pasteboard(std::unique_ptr<X11ClipboardReader> reader,
                  std::unique_ptr<X11SelectionOwner> owner,
                  std::unique_ptr<PrimarySelection> primary = nullptr, QObject* parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override { return m_snapshot.types; }
    std::optional<QString> string() const override { return m_snapshot.text; }
    QStringList application() const override { return m_snapshot.application; }
    void setIgnoredApplications(const QStringList& names) override;
    CopyAttribution attribution() const override;
    void clearContents() override;
    bool setString(const QString& text) override;
    void confirmWrite(std::function<void(bool)> done) override {
        m_confirmation.wait(std::move(done));
    }
    bool announcesChanges() const override;
    void setReadingPaused(bool paused) override;
    void lendPrimary(const QString& text, std::function<void(bool)> ready) override;

private:
    void onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void onChangeRead(const ClipboardSnapshot& snapshot);

    std::unique_ptr<X11ClipboardReader> m_reader;
    std::unique_ptr<X11SelectionOwner> m_owner;
    std::unique_ptr<PrimarySelection> m_primary;
    ClipboardSnapshot m_snapshot;
    qint64 m_changeCount = 0;
    bool m_sawChange = false;
    bool m_clearPending = false;  // a clear not yet replaced by a write
    ReadingPause m_pause;         // over m_reader
    WriteConfirmation m_confirmation{writeConfirmTimeoutMs};
    static constexpr quint64 initialTicket = 1;
    quint64 m_nextTicket = initialTicket + 1;
};

}  // namespace quillet
