#pragma once

#include <QByteArray>
#include <QObject>
#include <memory>

#include "platform/KeyboardEvents.h"

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace quillet {

class VirtualKeymap;

// Synthetic key events through the compositor's virtual keyboard (zwp_virtual_keyboard_v1,
// offered by wlroots compositors such as sway). It keeps a Wayland connection of its own, so
// the toolkit's connection and its focus are untouched; requests are only queued and flushed,
// and the compositor's few replies are read when the socket has them, so the GUI thread never
// waits on the compositor after start-up, which waits at most `setupTimeoutMs`.
class WaylandKeyboardEvents final : public QObject, public KeyboardEvents {
    Q_OBJECT
public:
    // Connects to `displayName` (a socket name or absolute path; empty: $WAYLAND_DISPLAY).
    explicit WaylandKeyboardEvents(const QByteArray& displayName = {}, QObject* parent = nullptr);
    ~WaylandKeyboardEvents() override;

    // True when the compositor gave us a virtual keyboard and the connection is sound.
    bool isTrusted() override;
    // Key down presses the flag's modifier keys first; key up releases them afterwards.
    void postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) override;
    // The compositor never says which keys are down; see canQueryHeldKeys().
    bool anyKeyHeld() override { return false; }
    bool canQueryHeldKeys() const override { return false; }

    static constexpr int setupTimeoutMs = 1000;

private:
    bool roundtrip(int timeoutMs);
    void readEvents();
    bool connectionFailed();
    void sendKey(quint32 evdevCode, bool down);
    void sendModifiers(quint32 mask);

    static void registryGlobal(void* data, wl_registry* registry, uint32_t name,
                               const char* interface, uint32_t version);
    static void registryGlobalRemove(void* data, wl_registry* registry, uint32_t name);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    std::unique_ptr<VirtualKeymap> m_keymap;
    QSocketNotifier* m_notifier = nullptr;
    bool m_failed = false;  // the connection broke; said once
};

}  // namespace quillet
