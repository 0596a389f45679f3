#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "platform/wayland/WindowListWorkspace.h"

struct wl_registry;
struct zwlr_foreign_toplevel_manager_v1;

namespace quillet {

// The focused window's application on a Wayland compositor that lists toplevel windows to
// task bars (zwlr_foreign_toplevel_manager_v1). It follows each window's app id and
// activated state as the compositor announces them; no pid is known.
class WaylandWorkspace final : public WindowListWorkspace {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    // `ownAppId` is our own windows' app id, never taken as the frontmost program.
    explicit WaylandWorkspace(const QByteArray& displayName, QString ownAppId,
                              QObject* parent = nullptr);
    ~WaylandWorkspace() override;

    // Bounds on what the compositor may make us keep.
    static constexpr std::size_t maxToplevels = 4096;
    static constexpr std::size_t maxNameLength = 256;  // app id, in bytes

    struct Toplevel;

protected:
    bool listsWindows() const override { return m_manager != nullptr; }
    std::vector<const ListedWindow*> windows() const override;

private:
    friend struct ToplevelEvents;

    void forget(Toplevel* toplevel);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
};

}  // namespace quillet
