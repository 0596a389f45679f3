#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

#include "platform/ClipboardReader.h"

struct wl_display;
struct wl_proxy;

namespace quillet::wayland {

// A selection the compositor announced: its proxy and the types its owner offers.
struct Offer {
    wl_proxy* proxy = nullptr;
    QStringList types;
};

// One selection read type after type, each through a pipe the owner writes into: the file
// list and the password manager's hint where offered, then the text unless they say it is
// never recorded. Every transfer ends at a deadline; a text over the size bound, an owner
// that stops writing or a pipe that cannot be made ends the read with an empty snapshot.
// Each call that can end the read returns its snapshot when it did.
class WaylandOfferRead {
public:
    using Clock = std::chrono::steady_clock;

    // `offer` outlives the read. `application` goes into the snapshot as it is.
    WaylandOfferRead(wl_display* display, const Offer& offer, QStringList application,
                     std::chrono::milliseconds timeout);
    ~WaylandOfferRead();
    WaylandOfferRead(const WaylandOfferRead&) = delete;
    WaylandOfferRead& operator=(const WaylandOfferRead&) = delete;

    // Starts the first transfer the read needs.
    std::optional<ClipboardSnapshot> start() { return next(); }
    // Only who made the copy, not a byte of it.
    ClipboardSnapshot withoutContents() const;
    // The pipe of the running transfer, for poll(); -1 when none runs.
    int fd() const { return m_fd; }
    // Drains the pipe of the running transfer (poll said it has something).
    std::optional<ClipboardSnapshot> receive();
    // Ends a transfer that overran its deadline.
    std::optional<ClipboardSnapshot> expire(Clock::time_point now);
    std::optional<Clock::time_point> deadline() const;

    // One transfer from an owner is read up to this size; a larger text is not recorded.
    static constexpr qsizetype maxTransferBytes = qsizetype(64) << 20;
    // A whole transfer may take this many owner timeouts, however steadily the owner writes.
    static constexpr int transferLimit = 20;

private:
    enum class Step { fileList, hint, text, done };

    std::optional<ClipboardSnapshot> next();
    std::optional<ClipboardSnapshot> fetch(const char* type);
    std::optional<ClipboardSnapshot> abandon();
    bool offers(const char* type) const { return m_offer.types.contains(QLatin1String(type)); }
    void closePipe();

    wl_display* const m_display;
    const Offer& m_offer;
    const QStringList m_application;
    const std::chrono::milliseconds m_timeout;
    Step m_step = Step::fileList;
    int m_fd = -1;
    QString m_type;  // being received
    QByteArray m_data;
    QByteArray m_fileList;
    QByteArray m_hint;
    std::optional<QByteArray> m_text;
    Clock::time_point m_deadline;
    Clock::time_point m_transferDeadline;
};

}  // namespace quillet::wayland
