#include "platform/wayland/WindowListWorkspace.h"

#include <poll.h>
#include <wayland-client.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "base/Logging.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

WindowListWorkspace::WindowListWorkspace(QString ownAppId, const char* compositor, QObject* parent)
    : QObject(parent), m_ownAppId(std::move(ownAppId)), m_compositor(compositor) {}

WindowListWorkspace::~WindowListWorkspace() {
    // The subclass has already let go of its manager and windows.
    if (m_display == nullptr) return;
    delete m_notifier;
    if (m_registry) wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WindowListWorkspace::open(const QByteArray& displayName, const wl_registry_listener& listener,
                               void* data, int rounds, const char* protocol) {
    m_display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (m_display == nullptr) {
        qCWarning(lcPaste) << "cannot connect to" << m_compositor
                           << "to follow the focused window:" << std::strerror(errno);
        return;
    }
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, data);
    for (int round = 0; round < rounds; ++round) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(setupTimeoutMs);
        if (!wayland::roundtrip(m_display, deadline)) {
            qCWarning(lcPaste) << m_compositor << "did not answer within" << setupTimeoutMs
                               << "ms; the focused window's program stays unknown";
            m_failed = true;
            return;
        }
        if (!listsWindows()) {
            qCInfo(lcPaste).nospace() << m_compositor << " does not list its windows to this "
                                      << "program (" << protocol << "); every paste is Ctrl+V";
            return;
        }
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WindowListWorkspace::readEvents);
}

bool WindowListWorkspace::isAvailable() {
    return listsWindows() && !connectionFailed();
}

void WindowListWorkspace::readEvents() {
    if (connectionFailed()) return;
    // Events already queued come first; then whatever the socket holds, without waiting.
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0) {
            connectionFailed();
            return;
        }
    }
    pollfd pfd{wl_display_get_fd(m_display), POLLIN, 0};
    if (::poll(&pfd, 1, 0) > 0) {
        if (wl_display_read_events(m_display) < 0) {
            connectionFailed();
            return;
        }
    } else {
        wl_display_cancel_read(m_display);
    }
    if (wl_display_dispatch_pending(m_display) < 0) {
        connectionFailed();
        return;
    }
    // Handles are destroyed and windows asked for by request; a full socket keeps them queued.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) connectionFailed();
    publishFocus();
}

void WindowListWorkspace::shareFocus(std::shared_ptr<FocusedApplication> focus) {
    m_focus = std::move(focus);
    m_focus->setAvailable(isAvailable());
    publishFocus();
}

void WindowListWorkspace::publishFocus() {
    if (!m_focus) return;
    QString appId;
    for (const ListedWindow* window : windows()) {
        if (window->active) appId = window->appId;
    }
    m_focus->set(appId);
}

bool WindowListWorkspace::connectionFailed() {
    if (m_failed) return true;
    if (m_display == nullptr) return true;
    const int error = wl_display_get_error(m_display);
    if (error == 0) return false;
    m_failed = true;
    if (m_notifier) m_notifier->setEnabled(false);
    if (m_focus) m_focus->setAvailable(false);  // copies are no longer attributed
    qCWarning(lcPaste) << "the connection to" << m_compositor
                       << "that follows the focused window broke:" << std::strerror(error)
                       << "; every paste is Ctrl+V from now on";
    return true;
}

std::optional<RunningApplication> WindowListWorkspace::frontmostApplication() {
    readEvents();  // whatever arrived since the last notification, without waiting
    if (m_failed) return std::nullopt;
    const ListedWindow* ours = nullptr;
    for (const ListedWindow* window : windows()) {
        if (!window->active) continue;
        if (window->appId == m_ownAppId) {
            ours = window;
            continue;
        }
        qCDebug(lcPaste) << "frontmost window:" << window->appId << window->pid;
        return RunningApplication{
            window->number, window->pid,
            window->appId.isEmpty() ? std::nullopt : std::optional<QString>(window->appId)};
    }
    if (ours != nullptr) return RunningApplication{ours->number, ours->pid, ours->appId};
    return std::nullopt;
}

}  // namespace quillet
