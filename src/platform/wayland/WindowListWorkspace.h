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
struct wl_registry_listener;

namespace quillet {

// What a window list tells of one window, as far as the focus goes.
struct ListedWindow {
    quint64 number = 0;  // our own number for the window
    qint64 pid = 0;      // 0 when the compositor does not say
    QString appId;
    bool active = false;
};

// The part of a Wayland workspace that does not depend on which protocol lists the windows:
// a connection of its own, read on the GUI thread whenever the socket has data and never
// waited on after start-up (at most `setupTimeoutMs`), the focused app id passed on to the
// clipboard reader's thread, and the choice of the frontmost window. Each protocol's
// subclass binds its manager through the registry and keeps the windows it announces.
//
// Nothing is re-activated: no protocol lets us take the focus for another program, and the
// compositor hands it back when our menu closes.
class WindowListWorkspace : public QObject, public Workspace {
    Q_OBJECT
public:
    ~WindowListWorkspace() override;

    // True when the compositor lists its windows to us and the connection is sound.
    bool isAvailable();
    // Keeps `focus` told of the focused window's app id, for the clipboard reader's thread.
    void shareFocus(std::shared_ptr<FocusedApplication> focus);

    // The active window that is not ours, else ours, else none.
    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<QString> ownBundleIdentifier() const override { return m_ownAppId; }
    void activate(const RunningApplication&) override {}

    static constexpr int setupTimeoutMs = 1000;

protected:
    // `ownAppId` is our own windows' app id, never taken as the frontmost program;
    // `compositor` names the compositor in warnings ("KWin").
    WindowListWorkspace(QString ownAppId, const char* compositor, QObject* parent);

    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY),
    // lets `listener` (called with `data`) bind the manager, and waits out `rounds` round
    // trips for the windows open now. `protocol` names the manager's interface in the log.
    void open(const QByteArray& displayName, const wl_registry_listener& listener, void* data,
              int rounds, const char* protocol);

    // Whether the manager is bound and still listing windows.
    virtual bool listsWindows() const = 0;
    // The windows known now, in the order they were announced.
    virtual std::vector<const ListedWindow*> windows() const = 0;

    quint64 takeWindowNumber() { return m_nextWindowNumber++; }

private:
    void readEvents();
    void publishFocus();
    bool connectionFailed();

    const QString m_ownAppId;
    const char* const m_compositor;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    quint64 m_nextWindowNumber = 1;
    QSocketNotifier* m_notifier = nullptr;
    bool m_failed = false;  // the connection broke; said once
    std::shared_ptr<FocusedApplication> m_focus;
};

}  // namespace quillet
