#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "platform/wayland/WindowListWorkspace.h"

struct wl_registry;
struct org_kde_plasma_window_management;

namespace quillet {

// The focused window's application on KDE Plasma, from KWin's window list for task bars
// (org_kde_plasma_window_management, granted through X-KDE-Wayland-Interfaces in our desktop
// entry). It follows each window's app id, pid and active state as KWin announces them.
class PlasmaWorkspace final : public WindowListWorkspace {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    // `ownAppId` is our own windows' app id, never taken as the frontmost program.
    PlasmaWorkspace(const QByteArray& displayName, QString ownAppId, QObject* parent = nullptr);
    ~PlasmaWorkspace() override;

    // The newest interface version whose events this program handles.
    static constexpr quint32 newestVersion = 16;
    // Bounds on what the compositor may make us keep.
    static constexpr std::size_t maxWindows = 4096;
    static constexpr std::size_t maxNameLength = 256;  // app id, uuid, in bytes

    struct Window;

protected:
    bool listsWindows() const override { return m_manager != nullptr; }
    std::vector<const ListedWindow*> windows() const override;

private:
    friend struct PlasmaEvents;

    void track(quint32 id, const char* uuid);
    void forget(Window* window);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    org_kde_plasma_window_management* m_manager = nullptr;
    quint32 m_version = 0;
    std::vector<std::unique_ptr<Window>> m_windows;
};

}  // namespace quillet
