#pragma once

#include <QString>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/ClipboardReader.h"

namespace quillet {

// The part the X11 and Wayland readers share: a thread of their own that sleeps in poll() until
// there is something to do, two eventfds that wake it (a request, the end), the ticket of the
// latest request, and the way answers travel back to the thread that owns the object. No timer:
// an idle reader does not wake up.
//
// A subclass calls `start` last in its constructor and `stop` first in its destructor, so the
// thread only ever sees a whole object.
class ThreadedClipboardReader : public ClipboardReader {
    Q_OBJECT
public:
    ~ThreadedClipboardReader() override;

    // Requests that arrive while a read runs are coalesced into one more read for the latest.
    void requestRead(quint64 ticket) final;

protected:
    explicit ThreadedClipboardReader(QObject* parent);

    // Runs `body` on the new thread, named `threadName` (findable in ps, gdb and tests).
    void start(const char* threadName, std::function<void()> body);
    // Tells the thread to end, wakes it and waits for it.
    void stop();

    // Readable once the object is going away: every wait of the thread watches it.
    int stopFd() const { return m_stopFd; }
    // Readable when a request (or a subclass's own work) is waiting; `drainRequests` resets it.
    int requestFd() const { return m_requestFd; }
    void drainRequests();
    void wakeRequests() { wake(m_requestFd); }

    // The ticket of the latest request, taken; none when there is none or the object is going
    // away (see stopping()).
    std::optional<quint64> takeTicket();
    bool stopping();

    // Sends an answer to the owning thread: for `ticket` through snapshotRead, without one as
    // a change the reader noticed itself (changeRead). Any thread; the destructor joins the
    // reading thread before QObject's discards what is still queued.
    void deliver(std::optional<quint64> ticket, const ClipboardSnapshot& snapshot);

    // Guards the request state, the subclass's own included.
    std::mutex m_requestMutex;

private:
    static void wake(int fd);

    const int m_stopFd;
    const int m_requestFd;
    std::optional<quint64> m_pendingTicket;  // guarded by m_requestMutex
    bool m_stopping = false;                 // guarded by m_requestMutex
    std::thread m_thread;
};

}  // namespace quillet
