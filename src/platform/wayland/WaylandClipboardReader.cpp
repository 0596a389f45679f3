#include "platform/wayland/WaylandClipboardReader.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "base/Logging.h"
#include "platform/wayland/DataControl.h"
#include "platform/wayland/WaylandOfferRead.h"
#include "platform/wayland/WaylandSelectionSource.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

namespace {

using SteadyClock = std::chrono::steady_clock;
using namespace wayland;

constexpr auto& kProtocols = kDataControlProtocols;

}  // namespace

class WaylandClipboardReader::Session {
public:
    explicit Session(WaylandClipboardReader& owner)
        : m_owner(owner),
          m_timeout(owner.m_ownerTimeout),
          m_served(std::in_place, WaylandOfferRead::transferLimit * m_timeout) {}

    ~Session() {
        dropRead();
        if (m_selection) destroyOffer(m_selection);
        m_served.reset();  // our sources go before the device they were set on
        if (m_device) destroyProxy(m_device, ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
        if (m_manager) destroyProxy(m_manager, ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
        if (m_seat) wl_seat_destroy(m_seat);
        if (m_registry) wl_registry_destroy(m_registry);
        if (m_display) {
            wl_display_flush(m_display);
            wl_display_disconnect(m_display);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects and binds the data device; false (with a warning) when this compositor can't
    // be used. The selection present now is read as the initial state.
    bool open() {
        const QByteArray& name = m_owner.m_displayName;
        m_display = wl_display_connect(name.isEmpty() ? nullptr : name.constData());
        if (!m_display) {
            qCWarning(lcClipboard) << "cannot connect to the Wayland compositor"
                                   << (name.isEmpty() ? qgetenv("WAYLAND_DISPLAY") : name);
            return false;
        }
        m_registry = wl_display_get_registry(m_display);
        static const wl_registry_listener registryListener{
            [](void* data, wl_registry* registry, uint32_t id, const char* interface,
               uint32_t version) {
                static_cast<Session*>(data)->onGlobal(registry, id, interface, version);
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(m_registry, &registryListener, this);
        if (!wayland::roundtrip(m_display, SteadyClock::now() + 5 * m_timeout, m_owner.stopFd()))
            return fail("the compositor did not list its services in time");
        if (!m_seat) return fail("the compositor offers no seat");
        const DataControl* protocol = nullptr;
        for (std::size_t i = 0; i < kProtocols.size() && !protocol; ++i) {
            if (m_managerIds[i] == 0) continue;
            protocol = &kProtocols[i];
            m_manager = static_cast<wl_proxy*>(
                wl_registry_bind(m_registry, m_managerIds[i], protocol->manager,
                                 std::min(m_managerVersions[i], protocol->version)));
        }
        if (!protocol) return fail("the compositor offers no data-control protocol");
        m_protocol = protocol;
        m_device = wl_proxy_marshal_flags(m_manager, ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE,
                                          protocol->device, wl_proxy_get_version(m_manager), 0,
                                          nullptr, m_seat);
        static const DeviceListener deviceListener{
            [](void* data, wl_proxy*, wl_proxy* offer) {
                static_cast<Session*>(data)->onDataOffer(offer);
            },
            [](void* data, wl_proxy*, wl_proxy* offer) {
                static_cast<Session*>(data)->onSelection(offer);
            },
            [](void* data, wl_proxy*) { static_cast<Session*>(data)->onFinished(); },
            [](void* data, wl_proxy*, wl_proxy* offer) {
                // The primary selection is not the clipboard: never recorded.
                if (offer) static_cast<Session*>(data)->destroyOffer(offer);
            }};
        addListener(m_device, deviceListener, this);
        m_served->bind(m_manager, m_device, *protocol);
        if (!wayland::roundtrip(m_display, SteadyClock::now() + 5 * m_timeout, m_owner.stopFd()))
            return fail("the compositor did not answer in time");
        m_started = true;
        return true;
    }

    // Serves events, transfers and requests until the owner stops (or the connection breaks).
    void run() {
        for (;;) {
            if (!takeRequests()) return;
            if (m_broken) {
                waitForStop();
                return;
            }
            if (wl_display_dispatch_pending(m_display) < 0) {
                breakOff("the connection to the compositor broke");
                continue;
            }
            if (wl_display_prepare_read(m_display) != 0) continue;
            const bool flushPending = wl_display_flush(m_display) < 0 && errno == EAGAIN;

            std::vector<pollfd> fds{
                pollfd{wl_display_get_fd(m_display),
                       static_cast<short>(POLLIN | (flushPending ? POLLOUT : 0)), 0},
                pollfd{m_owner.stopFd(), POLLIN, 0}, pollfd{m_owner.requestFd(), POLLIN, 0},
                pollfd{m_transfer ? m_transfer->fd() : -1, POLLIN, 0}};
            m_served->addPollFds(fds);
            const int ready = ::poll(fds.data(), fds.size(), pollTimeout());
            if (ready < 0 && errno != EINTR) {
                wl_display_cancel_read(m_display);
                breakOff("waiting for the compositor failed");
                continue;
            }
            if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP))) {
                if (wl_display_read_events(m_display) < 0) {
                    breakOff("the connection to the compositor broke");
                    continue;
                }
            } else {
                wl_display_cancel_read(m_display);
            }
            if (ready > 0 && fds[1].revents) return;
            if (ready > 0 && fds[3].revents) receive();
            for (std::size_t i = 4; i < fds.size(); ++i) {
                if (fds[i].revents) m_served->serve(fds[i].fd);
            }
            expire();
        }
    }

    // Answers requests (empty) until the owner stops: used when the compositor can't be used.
    void waitForStop() {
        for (;;) {
            if (!takeRequests()) return;
            std::array<pollfd, 2> fds{pollfd{m_owner.stopFd(), POLLIN, 0},
                                      pollfd{m_owner.requestFd(), POLLIN, 0}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
            if (fds[0].revents) return;
        }
    }

private:
    bool fail(const char* why) {
        qCWarning(lcClipboard) << "the Wayland clipboard can't be followed:" << why;
        m_broken = true;
        return false;
    }

    void breakOff(const char* why) {
        if (!m_broken)
            qCWarning(lcClipboard) << "the Wayland clipboard is no longer followed:" << why;
        m_broken = true;
        for (quint64 ticket : m_readTickets) deliver(ticket, {});
        dropRead();
    }

    void onGlobal(wl_registry* registry, uint32_t id, const char* interface, uint32_t version) {
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !m_seat) {
            m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
            return;
        }
        for (std::size_t i = 0; i < kProtocols.size(); ++i) {
            if (std::strcmp(interface, kProtocols[i].manager->name) == 0) {
                m_managerIds[i] = id;
                m_managerVersions[i] = version;
            }
        }
    }

    void onDataOffer(wl_proxy* proxy) {
        auto* offer = new Offer{proxy, {}};
        static const OfferListener listener{[](void* data, wl_proxy*, const char* type) {
            auto* o = static_cast<Offer*>(data);
            // A type list is short; a client that floods it is not worth following.
            if (o->types.size() < 256) o->types.append(QString::fromUtf8(type));
        }};
        addListener(proxy, listener, offer);
    }

    void onSelection(wl_proxy* proxy) {
        std::vector<quint64> tickets = std::move(m_readTickets);
        dropRead();  // an older read is abandoned: the newer selection is what counts
        if (m_selection && m_selection->proxy != proxy) destroyOffer(m_selection->proxy);
        m_selection = proxy ? static_cast<Offer*>(wl_proxy_get_user_data(proxy)) : nullptr;
        if (!m_selection) {
            // Cleared (the owner went away): nothing to record.
            for (quint64 ticket : tickets) deliver(ticket, {});
            return;
        }
        // The selection present at start is read when asked for; one offered while paused is
        // not read unless a request is waiting for it.
        const bool isChange = m_started && !m_owner.isPaused();
        if (!isChange && tickets.empty()) return;
        startRead(isChange, std::move(tickets));
    }

    void onFinished() { breakOff("the compositor withdrew the data device"); }

    void destroyOffer(wl_proxy* proxy) {
        auto* offer = static_cast<Offer*>(wl_proxy_get_user_data(proxy));
        if (m_selection == offer) m_selection = nullptr;
        destroyProxy(proxy, ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
        delete offer;
    }
    void destroyOffer(Offer* offer) { destroyOffer(offer->proxy); }

    // Takes what the GUI thread asked for; false once the owner is stopping.
    bool takeRequests() {
        if (m_owner.stopping()) return false;
        std::optional<std::optional<QString>> write;
        quint64 writeSerial = 0;
        {
            std::lock_guard lock(m_owner.m_requestMutex);
            write = std::exchange(m_owner.m_pendingWrite, std::nullopt);
            writeSerial = m_owner.m_writesAsked;
        }
        const std::optional<quint64> ticket = m_owner.takeTicket();
        m_owner.drainRequests();
        if (write) {
            if (!m_broken) {
                m_served->setSelection(*write);
                wl_display_flush(m_display);
            }
            {
                std::lock_guard lock(m_owner.m_requestMutex);
                m_owner.m_writesSent = writeSerial;
            }
            m_owner.m_writeSent.notify_all();
        }
        if (ticket) {
            if (m_broken || !m_selection)
                deliver(*ticket, {});
            else if (m_transfer)
                m_readTickets.push_back(*ticket);
            else
                startRead(false, {*ticket});
        }
        return true;
    }

    void startRead(bool isChange, std::vector<quint64> tickets) {
        m_readIsChange = isChange;
        m_readTickets = std::move(tickets);
        QStringList application;
        const bool attributed = m_owner.m_focus && m_owner.m_focus->isAvailable();
        if (attributed) {
            const QString appId = m_owner.m_focus->appId();
            if (!appId.isEmpty()) application = QStringList{appId};
        }
        m_transfer.emplace(m_display, *m_selection, application, m_timeout);
        // Not a byte of it is asked for.
        if (attributed && isChange && m_owner.isIgnored(application))
            return deliverRead(m_transfer->withoutContents());
        if (const auto done = m_transfer->start()) deliverRead(*done);
    }

    // Drains the pipe of the running transfer.
    void receive() {
        if (!m_transfer) return;
        if (const auto done = m_transfer->receive()) deliverRead(*done);
    }

    void deliverRead(const ClipboardSnapshot& snapshot) {
        const std::vector<quint64> tickets = std::move(m_readTickets);
        const bool isChange = m_readIsChange;
        dropRead();
        for (quint64 ticket : tickets) deliver(ticket, snapshot);
        if (isChange) deliver(std::nullopt, snapshot);
    }

    void dropRead() {
        m_transfer.reset();
        m_readTickets.clear();
        m_readIsChange = false;
    }

    // Ends transfers that overran their deadline.
    void expire() {
        const auto now = SteadyClock::now();
        if (m_transfer) {
            if (const auto done = m_transfer->expire(now)) deliverRead(*done);
        }
        m_served->expire(now);
    }

    int pollTimeout() const {
        std::optional<SteadyClock::time_point> first = m_served->nextDeadline();
        const auto reading = m_transfer ? m_transfer->deadline() : std::nullopt;
        if (reading) first = first ? std::min(*first, *reading) : *reading;
        if (!first) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*first - SteadyClock::now());
        return static_cast<int>(std::max<long long>(left.count(), 0));
    }

    void deliver(std::optional<quint64> ticket, const ClipboardSnapshot& snapshot) {
        m_owner.deliver(ticket, snapshot);
    }

    WaylandClipboardReader& m_owner;
    const std::chrono::milliseconds m_timeout;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    std::array<uint32_t, kProtocols.size()> m_managerIds{};
    std::array<uint32_t, kProtocols.size()> m_managerVersions{};
    const DataControl* m_protocol = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    Offer* m_selection = nullptr;
    std::optional<WaylandSelectionSource> m_served;  // our own texts, until the session ends
    std::optional<WaylandOfferRead> m_transfer;  // the selection being read
    std::vector<quint64> m_readTickets;          // the requests it answers
    bool m_readIsChange = false;                 // whether it reports a change too
    bool m_started = false;  // the initial selection has been announced
    bool m_broken = false;
};

WaylandClipboardReader::WaylandClipboardReader(const QByteArray& displayName,
                                               std::chrono::milliseconds ownerTimeout,
                                               QObject* parent,
                                               std::shared_ptr<const FocusedApplication> focus)
    : ThreadedClipboardReader(parent),
      m_displayName(displayName),
      m_ownerTimeout(ownerTimeout),
      m_focus(std::move(focus)) {
    start("quillet-clip", [this] { run(); });
}

WaylandClipboardReader::~WaylandClipboardReader() {
    stop();
}

bool WaylandClipboardReader::writeText(const std::optional<QString>& text) {
    std::unique_lock lock(m_requestMutex);
    m_pendingWrite = text;
    const quint64 serial = ++m_writesAsked;
    lock.unlock();
    wakeRequests();
    lock.lock();
    // The thread only sends two requests: this wait is short unless the thread is stuck, and a
    // stuck thread costs the caller no more than this bound.
    if (!m_writeSent.wait_for(lock, std::chrono::milliseconds(200),
                              [&] { return m_writesSent >= serial; })) {
        qCWarning(lcClipboard) << "the clipboard thread did not take our text in time";
        return false;
    }
    return m_writesSent >= serial;
}

void WaylandClipboardReader::run() {
    // A paste target that closes its pipe early must not kill us while we write to it.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    Session session(*this);
    if (session.open())
        session.run();
    else
        session.waitForStop();
}

}  // namespace quillet
