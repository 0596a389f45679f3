#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "platform/ClipboardReader.h"
#include "platform/ClipboardWriter.h"
#include "platform/Pasteboard.h"
#include "platform/PrimarySelection.h"
#include "platform/ReadingPause.h"
#include "platform/WriteConfirmation.h"

namespace quillet {

// The system clipboard for every session: a reader pushes what the clipboard holds, each
// snapshot finished (types, text, who made it) off the GUI thread, so the monitor's questions
// are answered from memory and never wait for a slow owner; a writer puts our texts there, and
// a PRIMARY selection, where the session has one, takes them for a terminal's paste.
//
// The change count follows completed reads and our own writes. Our write read back is the
// contents we already hold, so it is not a second change, and seeing it come back is what
// confirms it. A reader that follows owners itself announces every change; one that cannot is
// asked after each of our writes, and answers asked for before a later write are dropped as out
// of date.
class SystemPasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // `primary`: none where the session has no PRIMARY selection (a paste is then ready at once).
    SystemPasteboard(std::unique_ptr<ClipboardReader> reader,
                     std::unique_ptr<ClipboardWriter> writer,
                     std::unique_ptr<PrimarySelection> primary = nullptr,
                     QObject* parent = nullptr);
    ~SystemPasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override { return m_snapshot.types; }
    std::optional<QString> string() const override { return m_snapshot.text; }
    QStringList application() const override { return m_snapshot.application; }
    void setIgnoredApplications(const QStringList& names) override {
        m_reader->setIgnoredApplications(names);
    }
    CopyAttribution attribution() const override { return m_reader->attribution(); }
    void clearContents() override;
    bool setString(const QString& text) override;
    void confirmWrite(std::function<void(bool)> done) override {
        m_confirmation.wait(std::move(done));
    }
    void lendPrimary(const QString& text, std::function<void(bool)> ready) override;
    bool announcesChanges() const override { return m_reader->watchesOwner(); }
    void setReadingPaused(bool paused) override { m_pause.set(paused); }
    void readText(std::function<void(std::optional<QString>)> done) override;

private:
    void onSnapshotRead(quint64 ticket, const ClipboardSnapshot& snapshot);
    void onChangeRead(const ClipboardSnapshot& snapshot);
    // The reader of a pasteboard that cannot announce changes reads our write back when asked.
    void askForReadBack();

    // The ticket of the read at start; later requests take higher ones.
    static constexpr quint64 initialTicket = 1;

    const std::unique_ptr<ClipboardReader> m_reader;
    const std::unique_ptr<ClipboardWriter> m_writer;  // goes first: it may use the reader
    const std::unique_ptr<PrimarySelection> m_primary;
    ClipboardSnapshot m_snapshot;
    qint64 m_changeCount = 0;
    quint64 m_nextTicket = initialTicket + 1;
    // Answers to requests made before this ticket describe contents older than our last write.
    quint64 m_firstCurrentTicket = initialTicket;
    bool m_sawChange = false;
    bool m_clearPending = false;  // a clear not yet replaced by a write
    ReadingPause m_pause{*m_reader};
    // Reads made for `readText` while paused, by ticket.
    std::map<quint64, std::function<void(std::optional<QString>)>> m_textReads;
    WriteConfirmation m_confirmation{writeConfirmTimeoutMs};
};

}  // namespace quillet
