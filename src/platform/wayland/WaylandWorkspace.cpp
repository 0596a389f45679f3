#include "platform/wayland/WaylandWorkspace.h"

#include <poll.h>
#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Logging.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

// One window as the compositor last described it. Title, app id and state change together
// on `done`, so a half-described window is never taken for the focused one.
struct WaylandWorkspace::Toplevel {
    WaylandWorkspace* owner = nullptr;
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    quint64 number = 0;
    QString appId;
    QString title;
    bool activated = false;
    QString pendingAppId;
    QString pendingTitle;
    bool pendingActivated = false;
};

namespace {

using Toplevel = WaylandWorkspace::Toplevel;

Toplevel* toplevelOf(void* data) {
    return static_cast<Toplevel*>(data);
}

QString bounded(const char* text) {
    return QString::fromUtf8(text, qsizetype(strnlen(text, WaylandWorkspace::maxNameLength)));
}

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    toplevelOf(data)->pendingTitle = bounded(title);
}

void onAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
    toplevelOf(data)->pendingAppId = bounded(appId);
}

void onOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* state) {
    const auto* values = static_cast<const uint32_t*>(state->data);
    const std::size_t count = state->size / sizeof(uint32_t);
    toplevelOf(data)->pendingActivated =
        std::find(values, values + count,
                  uint32_t(ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)) != values + count;
}

void onDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    Toplevel* toplevel = toplevelOf(data);
    toplevel->appId = toplevel->pendingAppId;
    toplevel->title = toplevel->pendingTitle;
    toplevel->activated = toplevel->pendingActivated;
}

void onParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

}  // namespace

// Kept apart from the anonymous namespace because closing and announcing touch the list.
struct ToplevelEvents {
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1*) {
        Toplevel* toplevel = toplevelOf(data);
        toplevel->owner->forget(toplevel);
    }

    static void announced(void* data, zwlr_foreign_toplevel_manager_v1*,
                          zwlr_foreign_toplevel_handle_v1* handle) {
        auto* self = static_cast<WaylandWorkspace*>(data);
        if (self->m_toplevels.size() >= WaylandWorkspace::maxToplevels) {
            // A compositor announcing this many windows is not describing a desktop.
            if (self->m_toplevels.size() == WaylandWorkspace::maxToplevels)
                qCWarning(lcPaste)
                    << "the compositor lists more than" << WaylandWorkspace::maxToplevels
                    << "windows; the rest are ignored";
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
            return;
        }
        static const zwlr_foreign_toplevel_handle_v1_listener listener{
            &onTitle, &onAppId, &onOutput, &onOutput, &onState, &onDone, &closed, &onParent};
        auto toplevel = std::make_unique<Toplevel>();
        toplevel->owner = self;
        toplevel->handle = handle;
        toplevel->number = self->m_nextWindowNumber++;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
        self->m_toplevels.push_back(std::move(toplevel));
    }

    static void finished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        auto* self = static_cast<WaylandWorkspace*>(data);
        qCWarning(lcPaste) << "the compositor stopped listing its windows; new windows get "
                              "the ordinary paste chord";
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        self->m_manager = nullptr;
    }
};

WaylandWorkspace::WaylandWorkspace(const QByteArray& displayName, QString ownAppId, QObject* parent)
    : QObject(parent), m_ownAppId(std::move(ownAppId)) {
    m_display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (m_display == nullptr) {
        qCWarning(lcPaste) << "cannot connect to the Wayland compositor to follow the focused "
                              "window:"
                           << std::strerror(errno);
        return;
    }
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    // The first round binds the manager; the second brings the windows open now.
    for (int round = 0; round < 2; ++round) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(setupTimeoutMs);
        if (!wayland::roundtrip(m_display, deadline)) {
            qCWarning(lcPaste) << "the compositor did not answer within" << setupTimeoutMs
                               << "ms; the focused window's program stays unknown";
            m_failed = true;
            return;
        }
        if (m_manager == nullptr) {
            qCInfo(lcPaste) << "the compositor does not list its windows "
                               "(zwlr_foreign_toplevel_manager_v1); every paste is Ctrl+V";
            return;
        }
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandWorkspace::readEvents);
}

WaylandWorkspace::~WaylandWorkspace() {
    if (m_display == nullptr) return;
    delete m_notifier;
    for (const auto& toplevel : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    if (m_manager) zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    if (m_registry) wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WaylandWorkspace::registryGlobal(void* data, wl_registry* registry, uint32_t name,
                                      const char* interface, uint32_t version) {
    auto* self = static_cast<WaylandWorkspace*>(data);
    if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) != 0 ||
        self->m_manager != nullptr)
        return;
    static const zwlr_foreign_toplevel_manager_v1_listener listener{&ToplevelEvents::announced,
                                                                    &ToplevelEvents::finished};
    // Version 3 is the newest this program knows; the listener covers every event up to it.
    self->m_manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
        registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, 3u)));
    zwlr_foreign_toplevel_manager_v1_add_listener(self->m_manager, &listener, self);
}

void WaylandWorkspace::registryGlobalRemove(void*, wl_registry*, uint32_t) {
    // The manager going away ends with its finished event, handled there.
}

void WaylandWorkspace::forget(Toplevel* toplevel) {
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    std::erase_if(m_toplevels, [toplevel](const auto& kept) { return kept.get() == toplevel; });
}

bool WaylandWorkspace::isAvailable() {
    return m_manager != nullptr && !connectionFailed();
}

void WaylandWorkspace::readEvents() {
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
    // Closed windows' handles are destroyed by request; a full socket keeps them queued.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) connectionFailed();
    publishFocus();
}

void WaylandWorkspace::shareFocus(std::shared_ptr<FocusedApplication> focus) {
    m_focus = std::move(focus);
    m_focus->setAvailable(isAvailable());
    publishFocus();
}

void WaylandWorkspace::publishFocus() {
    if (!m_focus) return;
    QString appId;
    for (const auto& window : m_toplevels) {
        if (window->activated) appId = window->appId;
    }
    m_focus->set(appId);
}

bool WaylandWorkspace::connectionFailed() {
    if (m_failed) return true;
    if (m_display == nullptr) return true;
    const int error = wl_display_get_error(m_display);
    if (error == 0) return false;
    m_failed = true;
    if (m_notifier) m_notifier->setEnabled(false);
    if (m_focus) m_focus->setAvailable(false);  // copies are no longer attributed
    qCWarning(lcPaste) << "the connection that follows the focused window broke:"
                       << std::strerror(error) << "; every paste is Ctrl+V from now on";
    return true;
}

std::optional<RunningApplication> WaylandWorkspace::frontmostApplication() {
    readEvents();  // whatever arrived since the last notification, without waiting
    if (m_failed) return std::nullopt;
    const Toplevel* ours = nullptr;
    for (const auto& toplevel : m_toplevels) {
        if (!toplevel->activated) continue;
        if (toplevel->appId == m_ownAppId) {
            ours = toplevel.get();
            continue;
        }
        qCDebug(lcPaste) << "frontmost window:" << toplevel->appId << toplevel->title;
        return RunningApplication{
            toplevel->number, 0,
            toplevel->appId.isEmpty() ? std::nullopt : std::optional<QString>(toplevel->appId)};
    }
    if (ours != nullptr) return RunningApplication{ours->number, 0, ours->appId};
    return std::nullopt;
}

}  // namespace quillet
