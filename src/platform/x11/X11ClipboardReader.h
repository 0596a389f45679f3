#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/ClipboardReader.h"
#include "platform/x11/X11Selection.h"

namespace quillet {

// Reads the CLIPBOARD selection (or PRIMARY, on request only) on a thread of its own, over a connection of its own, so an
// owner that is slow or stopped can never freeze the GUI thread: every wait on the owner ends
// at a deadline, and a read that missed one answers with an empty snapshot.
//
// Where the server has XFixes, the thread also follows the CLIPBOARD owner and reads each new
// owner as soon as it takes over (before a quick successor can replace it), reporting it
// through `changeRead`; changes that arrive during a read are served by one more read.
//
// Answers are emitted on the thread that owns this object (queued from the reading thread).
// Requests that arrive while a read runs are coalesced into one more read for the latest ticket.
class X11ClipboardReader final : public ClipboardReader {
    Q_OBJECT
public:
    // `displayName` is what xcb_connect takes (e.g. ":0"); empty means $DISPLAY.
    // `ownerTimeout` bounds each wait for the owner (the answer to a conversion, one INCR chunk).
    // PRIMARY changes with every selection the user makes, so it is never followed: it is read
    // when asked.
    explicit X11ClipboardReader(const QByteArray& displayName,
                                std::chrono::milliseconds ownerTimeout = std::chrono::seconds(1),
                                QObject* parent = nullptr,
                                X11Selection selection = X11Selection::clipboard);
    ~X11ClipboardReader() override;

    // One transfer from an owner is read up to this size; a larger text is not recorded.
    static constexpr qsizetype maxTransferBytes = qsizetype(64) << 20;

    void requestRead(quint64 ticket) override;
    bool watchesOwner() const override { return m_watchesOwner; }
    // Copies of CLIPBOARD are attributed; PRIMARY is read only for our own loans.
    CopyAttribution attribution() const override {
        return m_selection == X11Selection::clipboard ? CopyAttribution::ownerWindowClass
                                                      : CopyAttribution::none;
    }

    // Whether an X server (XWayland on a Wayland session) accepts a connection on `displayName`.
    static bool canConnect(const QByteArray& displayName);

private:
    class Session;

    void run();
    void deliver(std::optional<quint64> ticket, const ClipboardSnapshot& snapshot);

    const QByteArray m_displayName;
    const std::chrono::milliseconds m_ownerTimeout;
    const X11Selection m_selection;
    int m_wakeFd = -1;     // eventfd that interrupts a running read when this object goes away
    int m_requestFd = -1;  // eventfd that wakes the idle thread for a request
    std::atomic<bool> m_watchesOwner = false;

    std::mutex m_mutex;
    std::optional<quint64> m_pendingTicket;  // guarded by m_mutex
    bool m_stopping = false;                 // guarded by m_mutex

    std::thread m_thread;  // last member: starts after everything above exists
};

}  // namespace quillet
