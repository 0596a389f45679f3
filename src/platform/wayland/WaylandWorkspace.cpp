#include "platform/wayland/WaylandWorkspace.h"

#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cstring>

#include "base/Logging.h"

namespace quillet {

// One window as the compositor last described it. App id and state change together
// on `done`, so a half-described window is never taken for the focused one.
struct WaylandWorkspace::Toplevel : ListedWindow {
    WaylandWorkspace* owner = nullptr;
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    QString pendingAppId;
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

void onTitle(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}

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
    toplevel->active = toplevel->pendingActivated;
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
        toplevel->number = self->takeWindowNumber();
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
    : WindowListWorkspace(std::move(ownAppId), "the compositor", parent) {
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    // The first round binds the manager; the second brings the windows open now.
    open(displayName, listener, this, 2, "zwlr_foreign_toplevel_manager_v1");
}

WaylandWorkspace::~WaylandWorkspace() {
    for (const auto& toplevel : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    if (m_manager) zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
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

std::vector<const ListedWindow*> WaylandWorkspace::windows() const {
    std::vector<const ListedWindow*> listed;
    listed.reserve(m_toplevels.size());
    for (const auto& toplevel : m_toplevels) listed.push_back(toplevel.get());
    return listed;
}

}  // namespace quillet
