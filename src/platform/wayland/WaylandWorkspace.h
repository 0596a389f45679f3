#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "platform/CopySource.h"
#include "platform/Workspace.h"

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct zwlr_foreign_toplevel_manager_v1;

namespace quillet {

// The focused window's application on a Wayland compositor that lists toplevel windows to
// task bars (zwlr_foreign_toplevel_manager_v1). It keeps a connection of its own and follows
// each window's app id and activated state as the compositor announces them, read on the GUI
// thread when the socket has data, so frontmostApplication() answers from what it already
// knows and never waits on the compositor. Only start-up waits, at most `setupTimeoutMs`.
//
// Nothing is re-activated: no protocol lets us take the focus for another program, and the
// compositor hands it back when our menu closes.
class WaylandWorkspace final : public QObject, public Workspace {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    // `ownAppId` is our own windows' app id, never taken as the frontmost program.
    explicit WaylandWorkspace(const QByteArray& displayName, QString ownAppId,
                              QObject* parent = nullptr);
    ~WaylandWorkspace() override;

    // True when the compositor lists its toplevels to us and the connection is sound.
    bool isAvailable();
    // Keeps `focus` told of the focused window's app id, for the clipboard reader's thread.
    void shareFocus(std::shared_ptr<FocusedApplication> focus);

    // The activated window that is not ours, else ours, else none. The window field is our
    // own number for the window; no pid is known.
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<QString> ownBundleIdentifier() const override { return m_ownAppId; }
    void activate(const RunningApplication&) override {}

    static constexpr int setupTimeoutMs = 1000;
    // Bounds on what the compositor may make us keep.
    static constexpr std::size_t maxToplevels = 4096;
    static constexpr std::size_t maxNameLength = 256;  // app id and title, in bytes

    struct Toplevel;

private:
    friend struct ToplevelEvents;

    void readEvents();
    void publishFocus();
    bool connectionFailed();
    void forget(Toplevel* toplevel);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    const QString m_ownAppId;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    quint64 m_nextWindowNumber = 1;
    QSocketNotifier* m_notifier = nullptr;
    bool m_failed = false;  // the connection broke; said once
    std::shared_ptr<FocusedApplication> m_focus;
};

}  // namespace quillet
