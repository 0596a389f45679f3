#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>

#include "platform/CopySource.h"

namespace quillet {

// What the clipboard held at one moment: the mapped type identifiers and the plain text, and
// the names of the application that put it there where the reader can tell.
struct ClipboardSnapshot {
    QStringList types;
    std::optional<QString> text;
    QStringList application;

    // Who made a copy is not part of what it holds: our own text read back is the same
    // contents, whichever window serves it.
    friend bool operator==(const ClipboardSnapshot& a, const ClipboardSnapshot& b) {
        return a.types == b.types && a.text == b.text;
    }
};

// Reads the clipboard without blocking the caller. A request made while a read is running is
// served by one more read after it; every request is eventually answered by `snapshotRead`
// (with an empty snapshot when the owner did not answer in time).
class ClipboardReader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ClipboardReader() override = default;

    // `ticket` comes back with the answer so callers can drop answers that are out of date.
    virtual void requestRead(quint64 ticket) = 0;
    // True once the reader follows owner changes itself and reports each through
    // `changeRead`: then nobody needs to ask it on every change, nor look on a timer.
    // A reader that learns this only on its thread says so through `startedWatching`.
    virtual bool watchesOwner() const { return false; }

    // While paused, a change of owner the reader notices by itself is not read at all (and so
    // not reported); requests are still answered. Lifting the pause reads nothing: the next
    // change is. Any thread may ask.
    void setPaused(bool paused) { m_paused = paused; }
    bool isPaused() const { return m_paused; }

    // Copies made by one of these applications (see isIgnoredApplication) are read no further
    // than needed to tell who made them: their snapshot holds only `application`. Any thread.
    void setIgnoredApplications(const QStringList& names) {
        std::lock_guard lock(m_ignoredMutex);
        m_ignored = names;
    }
    virtual CopyAttribution attribution() const { return CopyAttribution::none; }
    // Our own write comes back as a copy too, attributed to whatever window serves or has the
    // focus: for a moment every copy is read, so the write can be confirmed even when it was
    // made for a paste into an ignored application. The monitor still drops theirs.
    void noteOwnWrite() {
        std::lock_guard lock(m_ignoredMutex);
        m_readAllUntil = std::chrono::steady_clock::now() + ownWriteGrace;
    }
    static constexpr std::chrono::milliseconds ownWriteGrace{1500};

signals:
    void snapshotRead(quint64 ticket, const quillet::ClipboardSnapshot& snapshot);
    // The contents after a change of owner that the reader noticed itself.
    void changeRead(const quillet::ClipboardSnapshot& snapshot);
    // From the reading thread, once watchesOwner() turned true.
    void startedWatching();

protected:
    // Called on the reading thread.
    bool isIgnored(const QStringList& application) const {
        std::lock_guard lock(m_ignoredMutex);
        if (std::chrono::steady_clock::now() < m_readAllUntil) return false;
        return isIgnoredApplication(m_ignored, application);
    }

private:
    mutable std::mutex m_ignoredMutex;
    QStringList m_ignored;                              // guarded by m_ignoredMutex
    std::chrono::steady_clock::time_point m_readAllUntil;  // guarded by m_ignoredMutex
    std::atomic<bool> m_paused = false;
};

}  // namespace quillet

Q_DECLARE_METATYPE(quillet::ClipboardSnapshot)
