#pragma once

#include <QObject>
#include <optional>

#include "platform/ClipboardReader.h"
#include "platform/Pasteboard.h"
#include "platform/ReadingPause.h"
#include "platform/WriteConfirmation.h"

namespace quillet {

// A pasteboard over a reader that follows the clipboard on a thread of its own. The change
// count follows completed reads and our own writes; our write read back is the contents we
// already hold, so it is not a second change, and seeing it come back is what confirms it.
// Subclasses say how a text (or none) becomes the selection.
class ReadAheadPasteboard : public QObject, public Pasteboard {
    Q_OBJECT
public:
    ~ReadAheadPasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override { return m_snapshot.types; }
    std::optional<QString> string() const override { return m_snapshot.text; }
    QStringList application() const override { return m_snapshot.application; }
    void setIgnoredApplications(const QStringList& names) override {
        m_reader.setIgnoredApplications(names);
    }
    CopyAttribution attribution() const override { return m_reader.attribution(); }
    void clearContents() override;
    bool setString(const QString& text) override;
    void confirmWrite(std::function<void(bool)> done) override {
        m_confirmation.wait(std::move(done));
    }
    // A reader that follows owners itself reports every change; otherwise the monitor asks.
    bool announcesChanges() const override { return m_reader.watchesOwner(); }
    void setReadingPaused(bool paused) override { m_pause.set(paused); }

protected:
    // `reader` (owned by the subclass, and outliving this part of it) is asked for the
    // contents once the event loop runs. `refusal` says in the log why a write failed.
    ReadAheadPasteboard(ClipboardReader& reader, const char* refusal, QObject* parent);

    // Makes `text` the selection (none: gives it up). False when the system refused.
    virtual bool writeSelection(const std::optional<QString>& text) = 0;

    // The ticket of the read at start; later requests take higher ones.
    static constexpr quint64 initialTicket = 1;

private:
    void onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void onChangeRead(const ClipboardSnapshot& snapshot);

    ClipboardReader& m_reader;
    const char* const m_refusal;
    ClipboardSnapshot m_snapshot;
    qint64 m_changeCount = 0;
    bool m_sawChange = false;
    bool m_clearPending = false;  // a clear not yet replaced by a write
    ReadingPause m_pause{m_reader};
    WriteConfirmation m_confirmation{writeConfirmTimeoutMs};
};

}  // namespace quillet
