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
struct org_kde_plasma_window_management;

namespace quillet {

// The focused window's application on KDE Plasma, from KWin's window list for task bars
// (org_kde_plasma_window_management, granted through X-KDE-Wayland-Interfaces in our desktop
// entry). Like the wlroots workspace it keeps a connection of its own, follows each window's
// app id and active state as KWin announces them, and answers from what it already knows, so
// it never waits on the compositor after start-up (at most `setupTimeoutMs`).
//
// Nothing is re-activated: KWin hands the focus back when our menu closes.
class PlasmaWorkspace final : public QObject, public Workspace {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    // `ownAppId` is our own windows' app id, never taken as the frontmost program.
    PlasmaWorkspace(const QByteArray& displayName, QString ownAppId, QObject* parent = nullptr);
    ~PlasmaWorkspace() override;

    // True when KWin lists its windows to us and the connection is sound.
    bool isAvailable();
    // Keeps `focus` told of the focused window's app id, for the clipboard reader's thread.
    void shareFocus(std::shared_ptr<FocusedApplication> focus);

    // The active window that is not ours, else ours, else none; its pid as KWin gives it.
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<QString> ownBundleIdentifier() const override { return m_ownAppId; }
    void activate(const RunningApplication&) override {}

    static constexpr int setupTimeoutMs = 1000;
    // The newest interface version whose events this program handles.
    static constexpr quint32 newestVersion = 16;
    // Bounds on what the compositor may make us keep.
    static constexpr std::size_t maxWindows = 4096;
    static constexpr std::size_t maxNameLength = 256;  // app id, uuid, in bytes

    struct Window;

private:
    friend struct PlasmaEvents;

    void readEvents();
    void publishFocus();
    bool connectionFailed();
    void track(quint32 id, const char* uuid);
    void forget(Window* window);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    const QString m_ownAppId;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    org_kde_plasma_window_management* m_manager = nullptr;
    quint32 m_version = 0;
    std::vector<std::unique_ptr<Window>> m_windows;
    quint64 m_nextWindowNumber = 1;
    QSocketNotifier* m_notifier = nullptr;
    bool m_failed = false;  // the connection broke; said once
    std::shared_ptr<FocusedApplication> m_focus;
};

}  // namespace quillet
