#pragma once

#include <poll.h>

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

struct wl_display;
struct wl_proxy;

namespace quillet::wayland {

struct DataControl;

// Our own texts as the Wayland selection, on the clipboard thread's connection: each text is a
// data-control source kept until the compositor cancels it, and each paste of it is written
// into the pasting client's pipe without blocking, a little at a time as the pipe takes it.
// A paste that stops reading, or that takes longer than its deadline, is cut off; only a
// bounded number are served at once.
class WaylandSelectionSource {
public:
    using Clock = std::chrono::steady_clock;

    // `transferLimit` bounds one whole paste.
    explicit WaylandSelectionSource(Clock::duration transferLimit)
        : m_transferLimit(transferLimit) {}
    ~WaylandSelectionSource();
    WaylandSelectionSource(const WaylandSelectionSource&) = delete;
    WaylandSelectionSource& operator=(const WaylandSelectionSource&) = delete;

    // The data device our selections are set on; until then nothing can be offered.
    void bind(wl_proxy* manager, wl_proxy* device, const DataControl& protocol);

    // Makes `text` the selection (none: clears it). The request is queued on the connection.
    void setSelection(const std::optional<QString>& text);

    // The pipes waiting to take more of our text, for poll().
    void addPollFds(std::vector<pollfd>& fds) const;
    // Writes what `fd` takes now (poll said it would).
    void serve(int fd);
    // Cuts off pastes past their deadline.
    void expire(Clock::time_point now);
    // The earliest deadline of a paste being served.
    std::optional<Clock::time_point> nextDeadline() const;

    // Pastes served at once; more are refused.
    static constexpr std::size_t maxServedPastes = 16;

private:
    // The data of one of our sources, kept until the compositor cancels it.
    struct Source {
        wl_proxy* proxy = nullptr;
        QByteArray text;
        WaylandSelectionSource* owner = nullptr;
    };
    // One paste being served: our text written into the reader's pipe without blocking.
    struct Delivery {
        int fd = -1;
        QByteArray data;
        qsizetype written = 0;
        Clock::time_point deadline;
    };

    void onSend(Source* source, const char* type, int fd);
    void onCancelled(Source* source);
    void destroySource(Source* source);

    const Clock::duration m_transferLimit;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    const DataControl* m_protocol = nullptr;
    std::vector<Source*> m_sources;
    std::vector<Delivery> m_deliveries;
};

}  // namespace quillet::wayland
