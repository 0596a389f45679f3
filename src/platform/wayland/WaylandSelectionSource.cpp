#include "platform/wayland/WaylandSelectionSource.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Logging.h"
#include "platform/wayland/DataControl.h"

namespace quillet::wayland {

WaylandSelectionSource::~WaylandSelectionSource() {
    for (Delivery& d : m_deliveries) ::close(d.fd);
    for (Source* source : m_sources) destroySource(source);
}

void WaylandSelectionSource::bind(wl_proxy* manager, wl_proxy* device,
                                  const DataControl& protocol) {
    m_manager = manager;
    m_device = device;
    m_protocol = &protocol;
}

void WaylandSelectionSource::setSelection(const std::optional<QString>& text) {
    if (!m_device) return;
    wl_proxy* source = nullptr;
    if (text) {
        source = wl_proxy_marshal_flags(m_manager, ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE,
                                        m_protocol->source, wl_proxy_get_version(m_manager), 0,
                                        nullptr);
        auto* data = new Source{source, text->toUtf8(), this};
        m_sources.push_back(data);
        static const SourceListener listener{
            [](void* d, wl_proxy*, const char* type, int32_t fd) {
                auto* source = static_cast<Source*>(d);
                source->owner->onSend(source, type, fd);
            },
            [](void* d, wl_proxy*) {
                auto* source = static_cast<Source*>(d);
                source->owner->onCancelled(source);
            }};
        addListener(source, listener, data);
        for (const char* type : kTextTypes)
            wl_proxy_marshal_flags(source, ZWLR_DATA_CONTROL_SOURCE_V1_OFFER, nullptr,
                                   wl_proxy_get_version(source), 0, type);
    }
    wl_proxy_marshal_flags(m_device, ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION, nullptr,
                           wl_proxy_get_version(m_device), 0, source);
}

void WaylandSelectionSource::onSend(Source* source, const char* type, int fd) {
    bool known = false;
    for (const char* t : kTextTypes) known = known || std::strcmp(t, type) == 0;
    if (!known || m_deliveries.size() >= maxServedPastes) {
        if (known) qCWarning(lcClipboard) << "too many pastes at once; one is refused";
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_deliveries.push_back(Delivery{fd, source->text, 0, Clock::now() + m_transferLimit});
    serve(fd);
}

void WaylandSelectionSource::onCancelled(Source* source) {
    std::erase(m_sources, source);
    destroySource(source);
}

void WaylandSelectionSource::destroySource(Source* source) {
    destroyProxy(source->proxy, ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
    delete source;
}

void WaylandSelectionSource::addPollFds(std::vector<pollfd>& fds) const {
    for (const Delivery& d : m_deliveries) fds.push_back(pollfd{d.fd, POLLOUT, 0});
}

void WaylandSelectionSource::serve(int fd) {
    auto it = std::find_if(m_deliveries.begin(), m_deliveries.end(),
                           [fd](const Delivery& d) { return d.fd == fd; });
    if (it == m_deliveries.end()) return;
    while (it->written < it->data.size()) {
        const ssize_t n = ::write(fd, it->data.constData() + it->written,
                                  static_cast<size_t>(it->data.size() - it->written));
        if (n > 0) {
            it->written += n;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        break;  // EPIPE: the reader went away (SIGPIPE is blocked on the clipboard thread)
    }
    ::close(fd);
    m_deliveries.erase(it);
}

void WaylandSelectionSource::expire(Clock::time_point now) {
    for (auto it = m_deliveries.begin(); it != m_deliveries.end();) {
        if (now >= it->deadline) {
            qCWarning(lcClipboard) << "a paste did not take our text in time; it is cut off";
            ::close(it->fd);
            it = m_deliveries.erase(it);
        } else {
            ++it;
        }
    }
}

std::optional<WaylandSelectionSource::Clock::time_point> WaylandSelectionSource::nextDeadline()
    const {
    std::optional<Clock::time_point> first;
    for (const Delivery& d : m_deliveries)
        first = first ? std::min(*first, d.deadline) : d.deadline;
    return first;
}

}  // namespace quillet::wayland
