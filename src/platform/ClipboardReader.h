#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>

namespace quillet {

// What the clipboard held at one moment: the mapped type identifiers and the plain text.
struct ClipboardSnapshot {
    QStringList types;
    std::optional<QString> text;

    friend bool operator==(const ClipboardSnapshot&, const ClipboardSnapshot&) = default;
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
    // `changeRead`: then nobody needs to ask it on every change.
    virtual bool watchesOwner() const { return false; }

    // While paused, a change of owner the reader notices by itself is not read at all (and so
    // not reported); requests are still answered. Lifting the pause reads nothing: the next
    // change is. Any thread may ask.
    void setPaused(bool paused) { m_paused = paused; }
    bool isPaused() const { return m_paused; }

signals:
    void snapshotRead(quint64 ticket, const quillet::ClipboardSnapshot& snapshot);
    // The contents after a change of owner that the reader noticed itself.
    void changeRead(const quillet::ClipboardSnapshot& snapshot);

private:
    std::atomic<bool> m_paused = false;
};

}  // namespace quillet

Q_DECLARE_METATYPE(quillet::ClipboardSnapshot)
