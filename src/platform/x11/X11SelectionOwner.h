#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/ClipboardWriter.h"
#include "platform/x11/X11Selection.h"

namespace quillet {

// Owns the X11 CLIPBOARD selection (or PRIMARY) for the texts we write, on a thread and a connection of
// its own, so that a requestor that is slow or never reads can't freeze the GUI thread. It is
// how a text reaches the clipboard where only the X11 selection is ours to set (GNOME on
// Wayland: Mutter ignores a Wayland client's selection while it has no keyboard focus, but
// takes XWayland's selection over at any time).
//
// Requests are answered for TARGETS, TIMESTAMP, UTF8_STRING, text/plain;charset=utf-8, TEXT
// (as UTF-8) and STRING (Latin-1), a large text in INCR chunks. Each requestor gets a bounded
// number of transfers at once, and every transfer ends at a deadline.
class X11SelectionOwner final : public ClipboardWriter {
public:
    // Called on the owner's own thread each time a requestor was given a text (not the list of
    // targets), with the serial of the setText that put it there.
    using Served = std::function<void(quint64 serial)>;

    // `displayName` is what xcb_connect takes; empty means $DISPLAY.
    explicit X11SelectionOwner(const QByteArray& displayName,
                               X11Selection selection = X11Selection::clipboard,
                               Served served = {});
    ~X11SelectionOwner() override;

    // Makes `text` the selection (none: gives the selection up). Waits briefly (bounded) for
    // the thread, and returns whether the server names us the owner now.
    bool setText(const std::optional<QString>& text);
    bool write(const std::optional<QString>& text) override { return setText(text); }
    const char* refusal() const override { return "the X server did not make us its owner"; }
    // False once another client took the selection over (or we gave it up).
    bool ownsSelection();
    // The serial of the latest setText.
    quint64 textSerial();

    // A text up to this size goes in one property; a larger one in chunks of it (INCR).
    static constexpr qsizetype maxChunkBytes = qsizetype(256) << 10;
    // Chunked transfers served at once, in all and to one requestor window.
    static constexpr int maxTransfers = 16;
    static constexpr int maxTransfersPerRequestor = 4;
    // A requestor that takes no chunk for this long is dropped.
    static constexpr std::chrono::milliseconds chunkTimeout{2000};
    // How long setText waits for the thread to take the selection.
    static constexpr std::chrono::milliseconds setTimeout{300};

private:
    class Session;

    void run();

    const QByteArray m_displayName;
    const X11Selection m_selection;
    const Served m_served;
    int m_stopFd = -1;     // eventfd: the object is going away
    int m_requestFd = -1;  // eventfd: a text is waiting

    std::mutex m_mutex;
    std::optional<std::optional<QString>> m_pending;  // guarded by m_mutex
    quint64 m_asked = 0;                              // guarded by m_mutex
    quint64 m_done = 0;                               // guarded by m_mutex
    bool m_owned = false;  // guarded by m_mutex: the last outcome, until a SelectionClear
    bool m_stopping = false;                          // guarded by m_mutex
    std::condition_variable m_doneChanged;

    std::thread m_thread;  // last member: starts after everything above exists

    friend class Session;
};

}  // namespace quillet
