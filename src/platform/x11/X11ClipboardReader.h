#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>

#include "platform/ThreadedClipboardReader.h"
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
class X11ClipboardReader final : public ThreadedClipboardReader {
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

    const QByteArray m_displayName;
    const std::chrono::milliseconds m_ownerTimeout;
    const X11Selection m_selection;
    std::atomic<bool> m_watchesOwner = false;
};

}  // namespace quillet
