#include "platform/wayland/PlasmaWorkspace.h"

#include <plasma-window-management-client-protocol.h>
#include <poll.h>
#include <wayland-client.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Logging.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

// One window as KWin last described it.
struct PlasmaWorkspace::Window {
    PlasmaWorkspace* owner = nullptr;
    org_kde_plasma_window* handle = nullptr;
    quint64 number = 0;
    QString appId;
    qint64 pid = 0;
    bool active = false;
};

namespace {

using Window = PlasmaWorkspace::Window;

Window* windowOf(void* data) {
    return static_cast<Window*>(data);
}

QString bounded(const char* text) {
    return QString::fromUtf8(text, qsizetype(strnlen(text, PlasmaWorkspace::maxNameLength)));
}

void onAppId(void* data, org_kde_plasma_window*, const char* appId) {
    windowOf(data)->appId = bounded(appId);
}

void onState(void* data, org_kde_plasma_window*, uint32_t flags) {
    windowOf(data)->active = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
}

void onPid(void* data, org_kde_plasma_window*, uint32_t pid) {
    windowOf(data)->pid = pid;
}

// The events this program has no use for.
void ignoreText(void*, org_kde_plasma_window*, const char*) {}
void ignoreTwoTexts(void*, org_kde_plasma_window*, const char*, const char*) {}
void ignoreNothing(void*, org_kde_plasma_window*) {}
void ignoreDesktop(void*, org_kde_plasma_window*, int32_t) {}
void ignoreParent(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
void ignoreGeometry(void*, org_kde_plasma_window*, int32_t, int32_t, uint32_t, uint32_t) {}

}  // namespace

// Kept apart from the anonymous namespace because mapping and unmapping touch the list.
struct PlasmaEvents {
    static void unmapped(void* data, org_kde_plasma_window*) {
        Window* window = windowOf(data);
        window->owner->forget(window);
    }

    static void window(void* data, org_kde_plasma_window_management*, uint32_t id) {
        auto* self = static_cast<PlasmaWorkspace*>(data);
        // From version 13 on, every window is announced again with its uuid, the only handle
        // KWin 5.23 and later still honour.
        if (self->m_version < 13) self->track(id, nullptr);
    }

    static void windowWithUuid(void* data, org_kde_plasma_window_management*, uint32_t id,
                               const char* uuid) {
        static_cast<PlasmaWorkspace*>(data)->track(id, uuid);
    }

    static void showDesktop(void*, org_kde_plasma_window_management*, uint32_t) {}
    static void stackingOrder(void*, org_kde_plasma_window_management*, wl_array*) {}
    static void stackingOrderUuids(void*, org_kde_plasma_window_management*, const char*) {}
};

PlasmaWorkspace::PlasmaWorkspace(const QByteArray& displayName, QString ownAppId, QObject* parent)
    : QObject(parent), m_ownAppId(std::move(ownAppId)) {
    m_display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (m_display == nullptr) {
        qCWarning(lcPaste) << "cannot connect to KWin to follow the focused window:"
                           << std::strerror(errno);
        return;
    }
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    // The first round binds the manager; the second brings the windows open now, the third
    // their app ids and states.
    for (int round = 0; round < 3; ++round) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(setupTimeoutMs);
        if (!wayland::roundtrip(m_display, deadline)) {
            qCWarning(lcPaste) << "KWin did not answer within" << setupTimeoutMs
                               << "ms; the focused window's program stays unknown";
            m_failed = true;
            return;
        }
        if (m_manager == nullptr) {
            qCInfo(lcPaste) << "KWin does not list its windows to this program "
                               "(org_kde_plasma_window_management); every paste is Ctrl+V";
            return;
        }
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PlasmaWorkspace::readEvents);
}

PlasmaWorkspace::~PlasmaWorkspace() {
    if (m_display == nullptr) return;
    delete m_notifier;
    for (const auto& window : m_windows) org_kde_plasma_window_destroy(window->handle);
    if (m_manager) org_kde_plasma_window_management_destroy(m_manager);
    if (m_registry) wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void PlasmaWorkspace::registryGlobal(void* data, wl_registry* registry, uint32_t name,
                                     const char* interface, uint32_t version) {
    auto* self = static_cast<PlasmaWorkspace*>(data);
    if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) != 0 ||
        self->m_manager != nullptr)
        return;
    static const org_kde_plasma_window_management_listener listener{
        &PlasmaEvents::showDesktop, &PlasmaEvents::window, &PlasmaEvents::stackingOrder,
        &PlasmaEvents::stackingOrderUuids, &PlasmaEvents::windowWithUuid};
    self->m_version = std::min(version, newestVersion);
    self->m_manager = static_cast<org_kde_plasma_window_management*>(wl_registry_bind(
        registry, name, &org_kde_plasma_window_management_interface, self->m_version));
    org_kde_plasma_window_management_add_listener(self->m_manager, &listener, self);
}

void PlasmaWorkspace::registryGlobalRemove(void*, wl_registry*, uint32_t) {
    // Windows already known stay; a broken connection is seen on the next read.
}

void PlasmaWorkspace::track(quint32 id, const char* uuid) {
    if (m_windows.size() >= maxWindows) {
        // A compositor announcing this many windows is not describing a desktop.
        if (m_windows.size() == maxWindows)
            qCWarning(lcPaste) << "KWin lists more than" << maxWindows
                               << "windows; the rest are ignored";
        return;
    }
    static const org_kde_plasma_window_listener listener{
        &ignoreText,    &onAppId,         &onState,       &ignoreDesktop, &ignoreText,
        &PlasmaEvents::unmapped, &ignoreNothing, &ignoreParent, &ignoreGeometry,
        &ignoreNothing, &onPid,           &ignoreText,    &ignoreText,    &ignoreTwoTexts,
        &ignoreText,    &ignoreText,      &ignoreText};
    org_kde_plasma_window* handle =
        uuid != nullptr
            ? org_kde_plasma_window_management_get_window_by_uuid(
                  m_manager, QByteArray(uuid, qsizetype(strnlen(uuid, maxNameLength))).constData())
            : org_kde_plasma_window_management_get_window(m_manager, id);
    auto window = std::make_unique<Window>();
    window->owner = this;
    window->handle = handle;
    window->number = m_nextWindowNumber++;
    org_kde_plasma_window_add_listener(handle, &listener, window.get());
    m_windows.push_back(std::move(window));
}

void PlasmaWorkspace::forget(Window* window) {
    org_kde_plasma_window_destroy(window->handle);
    std::erase_if(m_windows, [window](const auto& kept) { return kept.get() == window; });
}

bool PlasmaWorkspace::isAvailable() {
    return m_manager != nullptr && !connectionFailed();
}

void PlasmaWorkspace::readEvents() {
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
    // New windows are asked for by request; a full socket keeps them queued.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) connectionFailed();
    publishFocus();
}

void PlasmaWorkspace::shareFocus(std::shared_ptr<FocusedApplication> focus) {
    m_focus = std::move(focus);
    m_focus->setAvailable(isAvailable());
    publishFocus();
}

void PlasmaWorkspace::publishFocus() {
    if (!m_focus) return;
    QString appId;
    for (const auto& window : m_windows) {
        if (window->active) appId = window->appId;
    }
    m_focus->set(appId);
}

bool PlasmaWorkspace::connectionFailed() {
    if (m_failed) return true;
    if (m_display == nullptr) return true;
    const int error = wl_display_get_error(m_display);
    if (error == 0) return false;
    m_failed = true;
    if (m_notifier) m_notifier->setEnabled(false);
    if (m_focus) m_focus->setAvailable(false);  // copies are no longer attributed
    qCWarning(lcPaste) << "the connection that follows KWin's focused window broke:"
                       << std::strerror(error) << "; every paste is Ctrl+V from now on";
    return true;
}

std::optional<RunningApplication> PlasmaWorkspace::frontmostApplication() {
    readEvents();  // whatever arrived since the last notification, without waiting
    if (m_failed) return std::nullopt;
    const Window* ours = nullptr;
    for (const auto& window : m_windows) {
        if (!window->active) continue;
        if (window->appId == m_ownAppId) {
            ours = window.get();
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
