#include "platform/wayland/WaylandKeyboardEvents.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <virtual-keyboard-unstable-v1-client-protocol.h>
#include <wayland-client.h>

#include <QList>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "base/KeyTable.h"
#include "base/Logging.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

namespace {

// Milliseconds on the monotonic clock, the clock every request on one keyboard shares.
quint32 nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return quint32(quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1000000);
}

// The keymap in a sealed memory file, as the keymap request takes it; -1 on failure.
int keymapFile(const QByteArray& text) {
    const int fd = memfd_create("quillet-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) return -1;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.constData() + written, size_t(text.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += n;
    }
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

}  // namespace

WaylandKeyboardEvents::WaylandKeyboardEvents(const QByteArray& displayName, QObject* parent)
    : QObject(parent) {
    m_display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (m_display == nullptr) {
        qCWarning(lcPaste) << "cannot connect to the Wayland compositor for the virtual keyboard:"
                           << std::strerror(errno);
        return;
    }
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    if (!roundtrip(setupTimeoutMs)) {
        qCWarning(lcPaste) << "the compositor did not list its globals within" << setupTimeoutMs
                           << "ms; no virtual keyboard";
        return;
    }
    if (m_manager == nullptr || m_seat == nullptr) {
        qCInfo(lcPaste) << "the compositor offers no virtual keyboard (zwp_virtual_keyboard_v1)";
        return;
    }
    m_keymap = VirtualKeymap::compile();
    const int fd = m_keymap ? keymapFile(m_keymap->text()) : -1;
    if (fd < 0) {
        qCWarning(lcPaste) << "no keymap for the virtual keyboard:"
                           << (m_keymap ? std::strerror(errno) : "no layout compiles");
        return;
    }
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    // The request carries a duplicate of the descriptor, so ours can go at once.
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   quint32(m_keymap->text().size()));
    close(fd);
    // A compositor that refuses the keyboard says so with a protocol error, seen here.
    if (!roundtrip(setupTimeoutMs) || connectionFailed()) {
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
        m_keyboard = nullptr;
        return;
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandKeyboardEvents::readEvents);
}

WaylandKeyboardEvents::~WaylandKeyboardEvents() {
    if (m_display == nullptr) return;
    delete m_notifier;
    if (m_keyboard) zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager) zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat) wl_seat_destroy(m_seat);
    if (m_registry) wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WaylandKeyboardEvents::registryGlobal(void* data, wl_registry* registry, uint32_t name,
                                           const char* interface, uint32_t /*version*/) {
    auto* self = static_cast<WaylandKeyboardEvents*>(data);
    // Version 1 of both is all we use; the first seat is the user's keyboard.
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->m_seat == nullptr) {
        self->m_seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 &&
               self->m_manager == nullptr) {
        self->m_manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
}

void WaylandKeyboardEvents::registryGlobalRemove(void*, wl_registry*, uint32_t) {
    // A seat going away ends our keyboard with it; the next post then fails and says so.
}

bool WaylandKeyboardEvents::roundtrip(int timeoutMs) {
    // wl_display_roundtrip would wait for ever on a compositor that stops answering.
    return wayland::roundtrip(
        m_display, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
}

void WaylandKeyboardEvents::readEvents() {
    // The socket is readable, so reading does not wait.
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0) {
            connectionFailed();
            return;
        }
    }
    if (wl_display_dispatch_pending(m_display) < 0) connectionFailed();
}

bool WaylandKeyboardEvents::connectionFailed() {
    if (m_failed) return true;
    const int error = wl_display_get_error(m_display);
    if (error == 0) return false;
    m_failed = true;
    if (m_notifier) m_notifier->setEnabled(false);
    const wl_interface* interface = nullptr;
    quint32 id = 0;
    const quint32 code = wl_display_get_protocol_error(m_display, &interface, &id);
    if (error == EPROTO) {
        qCWarning(lcPaste) << "the compositor ended the virtual keyboard's connection: error"
                           << code << "on" << (interface ? interface->name : "?");
    } else {
        qCWarning(lcPaste) << "the virtual keyboard's connection broke:" << std::strerror(error);
    }
    return true;
}

bool WaylandKeyboardEvents::isTrusted() {
    return m_keyboard != nullptr && !connectionFailed();
}

void WaylandKeyboardEvents::sendKey(quint32 evdevCode, bool down) {
    zwp_virtual_keyboard_v1_key(
        m_keyboard, nowMs(), evdevCode,
        down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void WaylandKeyboardEvents::postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) {
    if (!isTrusted()) return;
    const std::optional<quint32> key = m_keymap->evdevCodeForKey(virtualKeyCode);
    if (!key) {
        qCWarning(lcPaste) << "no key for virtual key code" << virtualKeyCode;
        return;
    }

    // The compositor takes the modifier state from the modifiers request alone; the modifier
    // keys' own events are sent too, for clients that watch them.
    quint32 mask = 0;
    QList<quint32> modifierKeys;
    for (const KeyModifier* modifier : KeyTable::modifiersIn(flags)) {
        mask |= m_keymap->modifierMask(modifier->xkbName);
        if (const auto code = m_keymap->evdevCodeFor(KeyTable::modifierKey(*modifier).keysym))
            modifierKeys.append(*code);
    }

    if (keyDown) {
        for (const quint32 code : modifierKeys) sendKey(code, true);
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, mask, 0, 0, 0);
        sendKey(*key, true);
    } else {
        sendKey(*key, false);
        for (auto it = modifierKeys.crbegin(); it != modifierKeys.crend(); ++it)
            sendKey(*it, false);
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    }
    // Never waits: a compositor that does not read leaves the requests queued here.
    if (wl_display_flush(m_display) < 0) {
        if (errno == EAGAIN)
            qCWarning(lcPaste) << "the compositor is not reading; the key events wait in the queue";
        else
            connectionFailed();
    }
}

}  // namespace quillet
