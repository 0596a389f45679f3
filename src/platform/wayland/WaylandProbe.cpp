#include "platform/wayland/WaylandProbe.h"

#include <poll.h>

#include <array>
#include <cerrno>

#include "base/Logging.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

namespace wayland {

bool roundtrip(wl_display* display, std::chrono::steady_clock::time_point deadline, int stopFd) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    static const wl_callback_listener listener{
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &done);
    bool ok = true;
    while (!done) {
        if (wl_display_dispatch_pending(display) < 0) {
            ok = false;
            break;
        }
        if (done) break;
        if (wl_display_prepare_read(display) != 0) continue;
        wl_display_flush(display);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        std::array<pollfd, 2> fds{pollfd{wl_display_get_fd(display), POLLIN, 0},
                                  pollfd{stopFd, POLLIN, 0}};
        const int ready =
            left.count() > 0 ? ::poll(fds.data(), fds.size(), static_cast<int>(left.count())) : 0;
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            if (wl_display_read_events(display) < 0) {
                ok = false;
                break;
            }
            continue;
        }
        wl_display_cancel_read(display);
        if (ready < 0 && errno == EINTR) continue;
        ok = false;  // deadline, stop request, or a broken connection
        break;
    }
    wl_callback_destroy(callback);
    return ok && done;
}

}  // namespace wayland

WaylandGlobals probeWaylandGlobals(const QByteArray& displayName,
                                   std::chrono::milliseconds timeout) {
    WaylandGlobals result;
    wl_display* display =
        wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (display == nullptr) return result;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            static_cast<QStringList*>(data)->append(QString::fromLatin1(interface));
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &result.interfaces);
    result.connected = wayland::roundtrip(display, std::chrono::steady_clock::now() + timeout);
    if (!result.connected)
        qCWarning(lcClipboard) << "the Wayland compositor did not list its services in time";
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return result;
}

}  // namespace quillet
