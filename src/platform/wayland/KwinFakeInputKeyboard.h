#pragma once

#include <QByteArray>
#include <QObject>
#include <memory>

#include "platform/KeyboardEvents.h"

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct org_kde_kwin_fake_input;

namespace quillet {

class VirtualKeymap;

// Synthetic key events on KDE Plasma through KWin's fake input (org_kde_kwin_fake_input,
// version 4 for keys). KWin offers that interface only to programs whose desktop entry lists
// it in X-KDE-Wayland-Interfaces, so its presence is the permission. KWin runs the keys
// through its own keyboard state, so a modifier is simply its key held down.
//
// Like the virtual keyboard it keeps a connection of its own and never waits on the
// compositor after start-up, which waits at most `setupTimeoutMs`.
class KwinFakeInputKeyboard final : public QObject, public KeyboardEvents {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    explicit KwinFakeInputKeyboard(const QByteArray& displayName = {}, QObject* parent = nullptr);
    ~KwinFakeInputKeyboard() override;

    // True when KWin granted fake input with keys and the connection is sound.
    bool isTrusted() override;
    // Key down presses the flag's modifier keys first; key up releases them afterwards.
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override;
    // KWin does not tell clients which keys are held.
    bool anyKeyHeld() override { return false; }
    bool canQueryHeldKeys() const override { return false; }

    static constexpr int setupTimeoutMs = 1000;
    // keyboard_key arrived in this version of the interface.
    static constexpr quint32 keysVersion = 4;

private:
    void readEvents();
    bool connectionFailed();
    void sendKey(quint32 evdevCode, bool down);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    org_kde_kwin_fake_input* m_fakeInput = nullptr;
    quint32 m_offeredVersion = 0;
    std::unique_ptr<VirtualKeymap> m_keymap;
    QSocketNotifier* m_notifier = nullptr;
    bool m_failed = false;  // the connection broke; said once
};

}  // namespace quillet
