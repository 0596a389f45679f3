#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <optional>

#include "platform/ClipboardWriter.h"
#include "platform/ThreadedClipboardReader.h"
#include "platform/wayland/WaylandOfferRead.h"

namespace quillet {

// Follows and sets the Wayland clipboard through the data-control protocol (ext-data-control-v1,
// else wlr-data-control-unstable-v1), which a clipboard manager may use without keyboard focus.
//
// Everything runs on a thread of its own over a connection of its own, driven by poll() on the
// display, the transfer pipes and two eventfds (requests, shutdown): no timers. Each new
// selection is read as soon as it is announced (unless paused) and reported through
// `changeRead`; a read still
// running when a newer selection arrives is dropped for it, and every transfer ends at a
// deadline, so an owner that never writes can't hold up the next copy. The selection present
// when the reader starts is the initial state, not a change: it only answers requests.
//
// Texts written with `writeText` are served from this thread as well (see
// WaylandSelectionSource); they come back through `changeRead` like any other selection, as
// X11 does, so the pasteboard sees its own write as the contents it already has.
class WaylandClipboardReader final : public ThreadedClipboardReader {
    Q_OBJECT
public:
    // `displayName` as WAYLAND_DISPLAY takes it (a name in XDG_RUNTIME_DIR or an absolute
    // path); empty means $WAYLAND_DISPLAY. `ownerTimeout` bounds each wait for the owner's data.
    // `focus`, where the compositor tells it, names the application a copy is attributed to:
    // no protocol names a selection's owner, and a copy is made in the focused window.
    explicit WaylandClipboardReader(
        const QByteArray& displayName,
        std::chrono::milliseconds ownerTimeout = std::chrono::seconds(1),
        QObject* parent = nullptr, std::shared_ptr<const FocusedApplication> focus = nullptr);
    ~WaylandClipboardReader() override;

    // One transfer from an owner is read up to this size; a larger text is not recorded.
    static constexpr qsizetype maxTransferBytes = wayland::WaylandOfferRead::maxTransferBytes;

    bool watchesOwner() const override { return true; }
    CopyAttribution attribution() const override {
        return m_focus && m_focus->isAvailable() ? CopyAttribution::activeAppId
                                                 : CopyAttribution::none;
    }

    // Makes `text` the selection (none: clears it). The reading thread offers it and serves it
    // to whoever pastes; this waits (briefly, bounded) until the compositor has been told, so a
    // paste that follows finds it. False when the thread did not take it in time.
    bool writeText(const std::optional<QString>& text);

private:
    class Session;

    void run();

    const QByteArray m_displayName;
    const std::chrono::milliseconds m_ownerTimeout;
    const std::shared_ptr<const FocusedApplication> m_focus;

    std::optional<std::optional<QString>> m_pendingWrite;  // guarded by m_requestMutex
    quint64 m_writesAsked = 0;                             // guarded by m_requestMutex
    quint64 m_writesSent = 0;                              // guarded by m_requestMutex
    std::condition_variable m_writeSent;

    friend class Session;
};

// Our texts as the Wayland selection, through the reader's thread (see writeText); the reader
// outlives it.
class WaylandClipboardWriter final : public ClipboardWriter {
public:
    explicit WaylandClipboardWriter(WaylandClipboardReader& reader) : m_reader(reader) {}
    bool write(const std::optional<QString>& text) override { return m_reader.writeText(text); }
    const char* refusal() const override { return "the clipboard thread did not take it"; }

private:
    WaylandClipboardReader& m_reader;
};

}  // namespace quillet
