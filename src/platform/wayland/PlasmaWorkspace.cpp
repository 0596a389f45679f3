#include "platform/wayland/PlasmaWorkspace.h"

#include <plasma-window-management-client-protocol.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>

#include "base/Logging.h"

namespace quillet {

// One window as KWin last described it.
struct PlasmaWorkspace::Window : ListedWindow {
    PlasmaWorkspace* owner = nullptr;
    org_kde_plasma_window* handle = nullptr;
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
    : WindowListWorkspace(std::move(ownAppId), "KWin", parent) {
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    // The first round binds the manager; the second brings the windows open now, the third
    // their app ids and states.
    open(displayName, listener, this, 3, "org_kde_plasma_window_management");
}

PlasmaWorkspace::~PlasmaWorkspace() {
    for (const auto& window : m_windows) org_kde_plasma_window_destroy(window->handle);
    if (m_manager) org_kde_plasma_window_management_destroy(m_manager);
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
        &ignoreText,    &onAppId,        &onState,
        &ignoreDesktop, &ignoreText,     &PlasmaEvents::unmapped,
        &ignoreNothing, &ignoreParent,   &ignoreGeometry,
        &ignoreNothing, &onPid,          &ignoreText,
        &ignoreText,    &ignoreTwoTexts, &ignoreText,
        &ignoreText,    &ignoreText};
    org_kde_plasma_window* handle =
        uuid != nullptr
            ? org_kde_plasma_window_management_get_window_by_uuid(
                  m_manager, QByteArray(uuid, qsizetype(strnlen(uuid, maxNameLength))).constData())
            : org_kde_plasma_window_management_get_window(m_manager, id);
    auto window = std::make_unique<Window>();
    window->owner = this;
    window->handle = handle;
    window->number = takeWindowNumber();
    org_kde_plasma_window_add_listener(handle, &listener, window.get());
    m_windows.push_back(std::move(window));
}

void PlasmaWorkspace::forget(Window* window) {
    org_kde_plasma_window_destroy(window->handle);
    std::erase_if(m_windows, [window](const auto& kept) { return kept.get() == window; });
}

std::vector<const ListedWindow*> PlasmaWorkspace::windows() const {
    std::vector<const ListedWindow*> listed;
    listed.reserve(m_windows.size());
    for (const auto& window : m_windows) listed.push_back(window.get());
    return listed;
}

}  // namespace quillet
