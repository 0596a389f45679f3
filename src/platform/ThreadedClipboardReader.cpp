#include "platform/ThreadedClipboardReader.h"

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QMetaObject>
#include <utility>

namespace quillet {

ThreadedClipboardReader::ThreadedClipboardReader(QObject* parent)
    : ClipboardReader(parent),
      m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_requestFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    qRegisterMetaType<quillet::ClipboardSnapshot>();
}

ThreadedClipboardReader::~ThreadedClipboardReader() {
    stop();  // a no-op when the subclass stopped it already, as it must
    if (m_stopFd >= 0) ::close(m_stopFd);
    if (m_requestFd >= 0) ::close(m_requestFd);
}

void ThreadedClipboardReader::start(const char* threadName, std::function<void()> body) {
    m_thread = std::thread([threadName, body = std::move(body)] {
        pthread_setname_np(pthread_self(), threadName);
        body();
    });
}

void ThreadedClipboardReader::stop() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_requestMutex);
        m_stopping = true;
    }
    wake(m_stopFd);
    m_thread.join();
}

void ThreadedClipboardReader::wake(int fd) {
    const quint64 one = 1;
    if (fd >= 0 && ::write(fd, &one, sizeof one) < 0) {
        // The counter is full: the thread has a wake-up pending anyway.
    }
}

void ThreadedClipboardReader::drainRequests() {
    quint64 count = 0;
    if (::read(m_requestFd, &count, sizeof count) < 0) {
        // Nothing was signalled since the last look.
    }
}

void ThreadedClipboardReader::requestRead(quint64 ticket) {
    {
        std::lock_guard lock(m_requestMutex);
        m_pendingTicket = ticket;
    }
    wake(m_requestFd);
}

std::optional<quint64> ThreadedClipboardReader::takeTicket() {
    std::lock_guard lock(m_requestMutex);
    if (m_stopping) return std::nullopt;
    return std::exchange(m_pendingTicket, std::nullopt);
}

bool ThreadedClipboardReader::stopping() {
    std::lock_guard lock(m_requestMutex);
    return m_stopping;
}

void ThreadedClipboardReader::deliver(std::optional<quint64> ticket,
                                      const ClipboardSnapshot& snapshot) {
    QMetaObject::invokeMethod(
        this,
        [this, ticket, snapshot] {
            if (ticket)
                emit snapshotRead(*ticket, snapshot);
            else
                emit changeRead(snapshot);
        },
        Qt::QueuedConnection);
}

}  // namespace quillet
