#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <array>
#include <chrono>
#include <functional>
#include <optional>

#include "platform/x11/XcbSupport.h"

namespace quillet {

// Asks a selection's owner for one target and receives the answer into a property of our own
// window, in one piece or incrementally (INCR), each wait bounded by the owner timeout and
// each value by a byte budget. Runs on the reading thread, over its connection.
class X11SelectionConversion {
public:
    // `timedOut` also covers a lost connection and a reader that is shutting down.
    enum class Outcome { delivered, refused, timedOut, tooLarge };
    struct Transfer {
        Outcome outcome = Outcome::timedOut;
        QByteArray data;
        quint8 format = 0;
    };

    // Events that are not the answer being waited for go to `otherEvent`; a signal on
    // `wakeFd` ends every wait (the reader is being destroyed).
    X11SelectionConversion(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t selection,
                           int wakeFd, std::chrono::milliseconds timeout,
                           std::function<void(const xcb_generic_event_t*)> otherEvent);

    Transfer convert(xcb_atom_t target, qsizetype budget);

    // Whether a transfer since the last call moved a large value; clears the mark.
    bool takeLargeTransfer() { return std::exchange(m_largeTransfer, false); }
    // The reader is being destroyed: nothing more is worth a warning.
    bool woken() const { return m_woken; }

    // A read that moved more than this hands the memory back to the system once idle.
    static constexpr qsizetype largeTransferBytes = qsizetype(1) << 20;

private:
    using SteadyClock = std::chrono::steady_clock;
    struct Property {
        xcb_atom_t type = XCB_ATOM_NONE;
        quint8 format = 0;
        QByteArray data;
        bool tooLarge = false;  // more than the budget: `data` is incomplete
    };

    xcb::Ptr<xcb_generic_event_t> waitForEvent(
        const std::function<bool(const xcb_generic_event_t*)>& matches,
        SteadyClock::time_point deadline);
    std::optional<Property> readProperty(xcb_atom_t property, qsizetype budget);
    Transfer receiveIncrementally(xcb_atom_t property, qsizetype budget);

    xcb_connection_t* const m_connection;
    const xcb_window_t m_window;
    const xcb_atom_t m_selection;
    const int m_wakeFd;
    const std::chrono::milliseconds m_timeout;
    const std::function<void(const xcb_generic_event_t*)> m_otherEvent;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    std::array<xcb_atom_t, 4> m_properties{};
    std::size_t m_nextProperty = 0;
    bool m_woken = false;
    bool m_largeTransfer = false;  // since the last takeLargeTransfer()
};

}  // namespace quillet
