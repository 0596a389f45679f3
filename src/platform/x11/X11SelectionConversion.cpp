#include "platform/x11/X11SelectionConversion.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace quillet {

namespace {

// One GetProperty asks for at most this many 32-bit units (4 MiB).
constexpr quint32 kPropertyChunkUnits = 1u << 20;
// A whole incremental transfer may take this many owner timeouts (a 64 MiB text from xclip
// takes a few seconds), checked on every chunk however fast the owner answers.
constexpr int kIncrementalTransferLimit = 20;

}  // namespace

X11SelectionConversion::X11SelectionConversion(
    xcb_connection_t* connection, xcb_window_t window, xcb_atom_t selection, int wakeFd,
    std::chrono::milliseconds timeout, std::function<void(const xcb_generic_event_t*)> otherEvent)
    : m_connection(connection),
      m_window(window),
      m_selection(selection),
      m_wakeFd(wakeFd),
      m_timeout(timeout),
      m_otherEvent(std::move(otherEvent)) {
    m_incr = xcb::internAtom(m_connection, "INCR");
    // Each conversion lands in the next property of a small ring, so an answer that a stopped
    // owner sends late can't be taken for the answer to a later request.
    for (std::size_t i = 0; i < m_properties.size(); ++i)
        m_properties[i] =
            xcb::internAtom(m_connection, ("QUILLET_READ_" + std::to_string(i)).c_str());
}

// Waits for the first event `matches` accepts; null at the deadline, when the connection
// breaks or when the reader is being destroyed.
xcb::Ptr<xcb_generic_event_t> X11SelectionConversion::waitForEvent(
    const std::function<bool(const xcb_generic_event_t*)>& matches,
    SteadyClock::time_point deadline) {
    for (;;) {
        while (xcb::Ptr<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
            if (matches(event.get())) return event;
            m_otherEvent(event.get());
        }
        if (xcb_connection_has_error(m_connection)) return nullptr;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) return nullptr;
        std::array<pollfd, 2> fds{pollfd{xcb_get_file_descriptor(m_connection), POLLIN, 0},
                                  pollfd{m_wakeFd, POLLIN, 0}};
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
            return nullptr;
        if (fds[1].revents & POLLIN) {
            m_woken = true;
            return nullptr;
        }
    }
}

// Reads and deletes `property`, stopping once it holds more than `budget` bytes (the first
// request asks for no more than that, so an oversized value is refused before it is sent).
std::optional<X11SelectionConversion::Property> X11SelectionConversion::readProperty(
    xcb_atom_t property, qsizetype budget) {
    Property result;
    quint32 offset = 0;
    const auto units = quint32(std::min<qsizetype>(kPropertyChunkUnits, budget / 4 + 1));
    for (;;) {
        xcb::Ptr<xcb_get_property_reply_t> reply{
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_window, property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, offset, units),
                                   nullptr)};
        if (!reply) return std::nullopt;
        result.type = reply->type;
        result.format = reply->format;
        const int length = xcb_get_property_value_length(reply.get());
        if (qsizetype(reply->bytes_after) + length + result.data.size() > budget) {
            result.tooLarge = true;
            result.data.clear();
            break;
        }
        result.data.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
        if (result.data.size() > largeTransferBytes) m_largeTransfer = true;
        if (reply->bytes_after == 0 || length <= 0) break;
        offset += static_cast<quint32>(length) / 4;
    }
    xcb_delete_property(m_connection, m_window, property);
    xcb_flush(m_connection);
    return result;
}

X11SelectionConversion::Transfer X11SelectionConversion::convert(xcb_atom_t target,
                                                                 qsizetype budget) {
    const xcb_atom_t property = m_properties[m_nextProperty];
    m_nextProperty = (m_nextProperty + 1) % m_properties.size();
    xcb_delete_property(m_connection, m_window, property);
    xcb_convert_selection(m_connection, m_window, m_selection, target, property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);

    const xcb::Ptr<xcb_generic_event_t> event = waitForEvent(
        [&](const xcb_generic_event_t* e) {
            if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY) return false;
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            return notify->requestor == m_window && notify->selection == m_selection &&
                   notify->target == target &&
                   (notify->property == property || notify->property == XCB_ATOM_NONE);
        },
        SteadyClock::now() + m_timeout);
    if (!event) return {};
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property ==
        XCB_ATOM_NONE)
        return {Outcome::refused, {}, 0};

    std::optional<Property> value = readProperty(property, budget);
    if (!value) return {};
    if (value->tooLarge) return {Outcome::tooLarge, {}, 0};
    if (value->type != m_incr) return {Outcome::delivered, value->data, value->format};
    return receiveIncrementally(property, budget);
}

// INCR: the owner writes the value in chunks, each after we deleted the previous one, and
// ends with an empty chunk. Reading the INCR property above already deleted it. Each chunk
// has the usual deadline; an owner that trickles for too long in all, or sends more than
// the transfer limit, is dropped as well (it then waits for a deletion that never comes).
X11SelectionConversion::Transfer X11SelectionConversion::receiveIncrementally(xcb_atom_t property,
                                                                              qsizetype budget) {
    Transfer transfer{Outcome::delivered, {}, 8};
    const auto transferDeadline = SteadyClock::now() + kIncrementalTransferLimit * m_timeout;
    for (;;) {
        const xcb::Ptr<xcb_generic_event_t> event = waitForEvent(
            [&](const xcb_generic_event_t* e) {
                if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
                const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                return notify->window == m_window && notify->atom == property &&
                       notify->state == XCB_PROPERTY_NEW_VALUE;
            },
            std::min(SteadyClock::now() + m_timeout, transferDeadline));
        if (!event || SteadyClock::now() >= transferDeadline) return {};
        std::optional<Property> chunk = readProperty(property, budget - transfer.data.size());
        if (!chunk) return {};
        if (chunk->tooLarge) return {Outcome::tooLarge, {}, 0};
        if (chunk->data.isEmpty()) return transfer;
        transfer.format = chunk->format;
        transfer.data.append(chunk->data);
        if (transfer.data.size() > largeTransferBytes) m_largeTransfer = true;
    }
}

}  // namespace quillet
