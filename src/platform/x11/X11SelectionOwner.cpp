#include "platform/x11/X11SelectionOwner.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <utility>
#include <vector>

#include "base/Logging.h"
#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

using SteadyClock = std::chrono::steady_clock;

// A whole chunked transfer may take this many chunk timeouts, however fast each chunk goes.
constexpr int kTransferLimit = 30;
// Events that arrive while we wait for our own timestamp are kept for afterwards, up to this.
constexpr std::size_t kMaxBacklog = 1024;

void drain(int fd) {
    quint64 count = 0;
    if (::read(fd, &count, sizeof count) < 0) {
        // Nothing was signalled since the last look.
    }
}

}  // namespace

class X11SelectionOwner::Session {
public:
    Session(X11SelectionOwner& owner) : m_owner(owner) {
        const QByteArray& name = owner.m_displayName;
        int screenNumber = 0;
        m_c = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber);
        if (xcb_connection_has_error(m_c)) return;
        const xcb_window_t root = xcb::rootWindow(m_c, screenNumber);
        if (root == xcb::noWindow) return;
        m_window = xcb_generate_id(m_c);
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &mask);
        const std::array<std::pair<xcb_atom_t*, const char*>, 8> atoms{{
            {&m_selectionAtom, selectionAtomName(owner.m_selection)},
            {&m_targets, "TARGETS"},
            {&m_timestampAtom, "TIMESTAMP"},
            {&m_utf8, "UTF8_STRING"},
            {&m_plainUtf8, "text/plain;charset=utf-8"},
            {&m_text, "TEXT"},
            {&m_incr, "INCR"},
            {&m_stamp, "QUILLET_OWNER_STAMP"},
        }};
        for (const auto& [atom, atomName] : atoms) *atom = xcb::internAtom(m_c, atomName);
        // The server caps one request; a chunk stays well under it.
        const qsizetype maxRequest = qsizetype(xcb_get_maximum_request_length(m_c)) * 4;
        m_chunk = std::min(maxChunkBytes, maxRequest - 1024);
        m_usable = m_selectionAtom != xcb::noAtom && m_chunk > 0 && !xcb_connection_has_error(m_c);
        if (!m_usable)
            qCWarning(lcClipboard) << "cannot own the X11 selection"
                                   << selectionAtomName(owner.m_selection) << "on" << name;
    }

    ~Session() {
        if (m_usable && m_owned) {
            xcb_set_selection_owner(m_c, XCB_WINDOW_NONE, m_selectionAtom, m_ownedSince);
            xcb_flush(m_c);
        }
        xcb_disconnect(m_c);
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void run() {
        for (;;) {
            handleBacklog();
            std::array<pollfd, 3> fds{
                pollfd{m_owner.m_stopFd, POLLIN, 0}, pollfd{m_owner.m_requestFd, POLLIN, 0},
                pollfd{m_usable ? xcb_get_file_descriptor(m_c) : -1, POLLIN, 0}};
            const int ready = ::poll(fds.data(), fds.size(), pollTimeout());
            if (fds[0].revents & POLLIN) return;
            if (ready > 0 && (fds[1].revents & POLLIN)) {
                drain(m_owner.m_requestFd);
                if (!takeRequest()) return;
            }
            while (m_usable) {
                xcb::Ptr<xcb_generic_event_t> event{xcb_poll_for_event(m_c)};
                if (!event) break;
                handle(event.get());
            }
            if (m_usable && xcb_connection_has_error(m_c)) {
                qCWarning(lcClipboard) << "lost the X11 connection that owns our clipboard texts";
                m_usable = m_owned = false;
                m_transfers.clear();
                std::lock_guard lock(m_owner.m_mutex);
                m_owner.m_owned = false;
            }
            expire();
        }
    }

private:
    struct Transfer {
        xcb_window_t requestor;
        xcb_atom_t property;
        xcb_atom_t type;
        QByteArray data;
        qsizetype sent = 0;
        SteadyClock::time_point chunkDeadline;
        SteadyClock::time_point deadline;
        bool finishing = false;  // the empty closing chunk is written
    };

    // Takes the GUI thread's text and says how it went; false once the owner is stopping.
    bool takeRequest() {
        std::optional<std::optional<QString>> text;
        quint64 serial = 0;
        {
            std::lock_guard lock(m_owner.m_mutex);
            if (m_owner.m_stopping) return false;
            text = std::exchange(m_owner.m_pending, std::nullopt);
            serial = m_owner.m_asked;
        }
        if (!text) return true;
        const bool owned = m_usable && apply(*text);
        m_serial = serial;
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_done = serial;
            m_owner.m_owned = owned;
        }
        m_owner.m_doneChanged.notify_all();
        return true;
    }

    // Takes (or gives up) the selection with a server timestamp, as ICCCM asks, then checks
    // that the server names us the owner.
    bool apply(const std::optional<QString>& text) {
        const std::optional<xcb_timestamp_t> now = serverTime();
        if (!now) {
            qCWarning(lcClipboard) << "the X server did not give us a timestamp in time";
            return false;
        }
        if (!text) {
            if (m_owned) xcb_set_selection_owner(m_c, XCB_WINDOW_NONE, m_selectionAtom, *now);
            m_owned = false;
            xcb_flush(m_c);
            return false;
        }
        m_utf8Text = text->toUtf8();
        m_latin1Text = text->toLatin1();
        xcb_set_selection_owner(m_c, m_window, m_selectionAtom, *now);
        xcb::Ptr<xcb_get_selection_owner_reply_t> reply{xcb_get_selection_owner_reply(
            m_c, xcb_get_selection_owner(m_c, m_selectionAtom), nullptr)};
        m_owned = reply && reply->owner == m_window;
        m_ownedSince = *now;
        if (!m_owned) qCWarning(lcClipboard) << "the X server did not make us the clipboard owner";
        return m_owned;
    }

    // The server's time now: a zero-length append to our own window comes back as a
    // PropertyNotify carrying it.
    std::optional<xcb_timestamp_t> serverTime() {
        xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, m_stamp, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(m_c);
        const auto deadline = SteadyClock::now() + setTimeout;
        for (;;) {
            while (xcb::Ptr<xcb_generic_event_t> event{xcb_poll_for_event(m_c)}) {
                const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
                if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                    notify->window == m_window && notify->atom == m_stamp)
                    return notify->time;
                if (m_backlog.size() < kMaxBacklog) m_backlog.push_back(std::move(event));
            }
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
            if (left.count() <= 0 || xcb_connection_has_error(m_c)) return std::nullopt;
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    void handleBacklog() {
        while (!m_backlog.empty()) {
            const xcb::Ptr<xcb_generic_event_t> event = std::move(m_backlog.front());
            m_backlog.pop_front();
            handle(event.get());
        }
    }

    void handle(const xcb_generic_event_t* event) {
        switch (event->response_type & 0x7f) {
            case XCB_SELECTION_REQUEST:
                answer(*reinterpret_cast<const xcb_selection_request_event_t*>(event));
                break;
            case XCB_SELECTION_CLEAR: {
                const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
                // Someone else copied: their text is the clipboard now. Running transfers
                // carry their own copy and finish.
                if (clear->selection == m_selectionAtom && clear->owner == m_window) {
                    m_owned = false;
                    std::lock_guard lock(m_owner.m_mutex);
                    m_owner.m_owned = false;
                }
                break;
            }
            case XCB_PROPERTY_NOTIFY:
                onPropertyNotify(*reinterpret_cast<const xcb_property_notify_event_t*>(event));
                break;
            default:
                break;
        }
    }

    void answer(const xcb_selection_request_event_t& request) {
        // Obsolete clients name no property: the target's name serves as one.
        const xcb_atom_t property =
            request.property == xcb::noAtom ? request.target : request.property;
        const bool current = m_owned && request.selection == m_selectionAtom &&
                             request.owner == m_window &&
                             (request.time == XCB_CURRENT_TIME || request.time >= m_ownedSince);
        bool served = false;
        if (current) served = serve(request.requestor, property, request.target);
        const bool gaveText = served && request.target != m_targets &&
                              request.target != m_timestampAtom;
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = served ? property : xcb::noAtom;
        xcb_send_event(m_c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(m_c);
        if (gaveText && m_owner.m_served) m_owner.m_served(m_serial);
    }

    bool serve(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target) {
        if (target == m_targets) {
            const std::array<xcb_atom_t, 6> targets{m_targets, m_timestampAtom, m_utf8,
                                                    m_plainUtf8, m_text, XCB_ATOM_STRING};
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM,
                                32, targets.size(), targets.data());
            return true;
        }
        if (target == m_timestampAtom) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property,
                                XCB_ATOM_INTEGER, 32, 1, &m_ownedSince);
            return true;
        }
        if (target == m_utf8 || target == m_text)
            return send(requestor, property, m_utf8, m_utf8Text);
        if (target == m_plainUtf8) return send(requestor, property, m_plainUtf8, m_utf8Text);
        if (target == XCB_ATOM_STRING)
            return send(requestor, property, XCB_ATOM_STRING, m_latin1Text);
        return false;  // MULTIPLE and the rest: refused
    }

    bool send(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
              const QByteArray& data) {
        if (data.size() <= m_chunk) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                                static_cast<quint32>(data.size()), data.constData());
            return true;
        }
        const auto toSameWindow = std::count_if(
            m_transfers.begin(), m_transfers.end(),
            [&](const Transfer& t) { return t.requestor == requestor; });
        if (m_transfers.size() >= std::size_t(maxTransfers) ||
            toSameWindow >= maxTransfersPerRequestor) {
            qCWarning(lcClipboard) << "too many large pastes at once; one is refused";
            return false;
        }
        // The requestor deletes the INCR property to ask for each chunk: we must hear it.
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_c, requestor, XCB_CW_EVENT_MASK, &mask);
        const quint32 size = static_cast<quint32>(data.size());
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, m_incr, 32, 1,
                            &size);
        const auto now = SteadyClock::now();
        m_transfers.push_back(Transfer{requestor, property, type, data, 0, now + chunkTimeout,
                                       now + kTransferLimit * chunkTimeout});
        return true;
    }

    void onPropertyNotify(const xcb_property_notify_event_t& notify) {
        if (notify.state != XCB_PROPERTY_DELETE) return;
        auto it = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer& t) {
            return t.requestor == notify.window && t.property == notify.atom;
        });
        if (it == m_transfers.end()) return;
        if (it->finishing) {
            finish(it);
            return;
        }
        const qsizetype length = std::min(m_chunk, it->data.size() - it->sent);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, it->requestor, it->property, it->type, 8,
                            static_cast<quint32>(length), it->data.constData() + it->sent);
        it->sent += length;
        // The last chunk is followed by an empty one, which ends the transfer.
        it->finishing = length == 0;
        it->chunkDeadline = SteadyClock::now() + chunkTimeout;
        xcb_flush(m_c);
    }

    void finish(std::vector<Transfer>::iterator it) {
        const xcb_window_t requestor = it->requestor;
        m_transfers.erase(it);
        const bool more = std::any_of(m_transfers.begin(), m_transfers.end(),
                                      [&](const Transfer& t) { return t.requestor == requestor; });
        if (!more) {
            const quint32 none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(m_c, requestor, XCB_CW_EVENT_MASK, &none);
        }
        xcb_flush(m_c);
    }

    void expire() {
        const auto now = SteadyClock::now();
        for (auto it = m_transfers.begin(); it != m_transfers.end();) {
            if (now < it->chunkDeadline && now < it->deadline) {
                ++it;
                continue;
            }
            qCWarning(lcClipboard) << "a paste did not take our text in time; it is cut off";
            finish(it);
            it = m_transfers.begin();  // finish() invalidated the iterator
        }
    }

    int pollTimeout() const {
        if (m_transfers.empty()) return -1;
        auto first = SteadyClock::time_point::max();
        for (const Transfer& t : m_transfers) first = std::min({first, t.chunkDeadline, t.deadline});
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(first - SteadyClock::now());
        return static_cast<int>(std::max<long long>(left.count(), 0));
    }

    X11SelectionOwner& m_owner;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_window = xcb::noWindow;
    xcb_atom_t m_selectionAtom = xcb::noAtom, m_targets = xcb::noAtom, m_timestampAtom = xcb::noAtom,
               m_utf8 = xcb::noAtom, m_plainUtf8 = xcb::noAtom, m_text = xcb::noAtom,
               m_incr = xcb::noAtom, m_stamp = xcb::noAtom;
    qsizetype m_chunk = 0;
    bool m_usable = false;
    bool m_owned = false;
    xcb_timestamp_t m_ownedSince = XCB_CURRENT_TIME;
    quint64 m_serial = 0;  // of the text we hold
    QByteArray m_utf8Text;
    QByteArray m_latin1Text;
    std::vector<Transfer> m_transfers;
    std::deque<xcb::Ptr<xcb_generic_event_t>> m_backlog;
};

X11SelectionOwner::X11SelectionOwner(const QByteArray& displayName, X11Selection selection,
                                     Served served)
    : m_displayName(displayName),
      m_selection(selection),
      m_served(std::move(served)),
      m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_requestFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      m_thread([this] { run(); }) {}

X11SelectionOwner::~X11SelectionOwner() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    const quint64 one = 1;
    if (m_stopFd >= 0 && ::write(m_stopFd, &one, sizeof one) < 0) {
        // Cannot happen with a fresh counter; the thread would then end at its next wake-up.
    }
    m_thread.join();
    if (m_stopFd >= 0) ::close(m_stopFd);
    if (m_requestFd >= 0) ::close(m_requestFd);
}

bool X11SelectionOwner::setText(const std::optional<QString>& text) {
    std::unique_lock lock(m_mutex);
    m_pending = text;
    const quint64 serial = ++m_asked;
    lock.unlock();
    const quint64 one = 1;
    if (m_requestFd >= 0 && ::write(m_requestFd, &one, sizeof one) < 0) {
        // The counter is full: the thread has a wake-up pending anyway.
    }
    lock.lock();
    // Two round trips to the server: short unless the server is stuck, which costs the caller
    // no more than this bound.
    if (!m_doneChanged.wait_for(lock, setTimeout,
                                [&] { return m_done >= serial || m_stopping; })) {
        qCWarning(lcClipboard) << "the X11 clipboard thread did not take our text in time";
        return false;
    }
    return m_done >= serial && m_owned;
}

bool X11SelectionOwner::ownsSelection() {
    std::lock_guard lock(m_mutex);
    return m_owned;
}

quint64 X11SelectionOwner::textSerial() {
    std::lock_guard lock(m_mutex);
    return m_asked;
}

void X11SelectionOwner::run() {
    pthread_setname_np(pthread_self(), "quillet-owner");  // findable in ps, gdb and tests
    Session session(*this);
    session.run();
}

}  // namespace quillet
