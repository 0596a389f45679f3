#include "platform/wayland/KwinFakeInputKeyboard.h"

#include <fake-input-client-protocol.h>
#include <wayland-client.h>

#include <QCoreApplication>
#include <QList>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "base/KeyTable.h"
#include "base/Logging.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandSupport.h"

namespace quillet {

KwinFakeInputKeyboard::KwinFakeInputKeyboard(const QByteArray& displayName, QObject* parent)
    : QObject(parent) {
    m_display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (m_display == nullptr) {
        qCWarning(lcPaste) << "cannot connect to the Wayland compositor for fake input:"
                           << std::strerror(errno);
        return;
    }
    static const wl_registry_listener listener{&registryGlobal, &registryGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    const auto deadline = [] {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(setupTimeoutMs);
    };
    if (!wayland::roundtrip(m_display, deadline())) {
        qCWarning(lcPaste) << "the compositor did not list its globals within" << setupTimeoutMs
                           << "ms; no fake input";
        return;
    }
    if (m_fakeInput == nullptr) {
        qCInfo(lcPaste) << "KWin grants this program no fake input (org_kde_kwin_fake_input); "
                           "the installed desktop entry lists it in X-KDE-Wayland-Interfaces";
        return;
    }
    if (m_offeredVersion < keysVersion) {
        qCWarning(lcPaste) << "KWin's fake input is version" << m_offeredVersion
                           << "; keys need version" << keysVersion;
        org_kde_kwin_fake_input_destroy(m_fakeInput);
        m_fakeInput = nullptr;
        return;
    }
    m_keymap = VirtualKeymap::compile();
    if (!m_keymap) {
        qCWarning(lcPaste) << "no keyboard layout compiles; fake input cannot find the keys";
        org_kde_kwin_fake_input_destroy(m_fakeInput);
        m_fakeInput = nullptr;
        return;
    }
    // KWin may show the reason to the user before it lets the keys through.
    org_kde_kwin_fake_input_authenticate(
        m_fakeInput, QCoreApplication::applicationName().toUtf8().constData(),
        "paste the text chosen from the clipboard history");
    if (!wayland::roundtrip(m_display, deadline()) || connectionFailed()) {
        org_kde_kwin_fake_input_destroy(m_fakeInput);
        m_fakeInput = nullptr;
        return;
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KwinFakeInputKeyboard::readEvents);
}

KwinFakeInputKeyboard::~KwinFakeInputKeyboard() {
    if (m_display == nullptr) return;
    delete m_notifier;
    if (m_fakeInput) org_kde_kwin_fake_input_destroy(m_fakeInput);
    if (m_registry) wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void KwinFakeInputKeyboard::registryGlobal(void* data, wl_registry* registry, uint32_t name,
                                           const char* interface, uint32_t version) {
    auto* self = static_cast<KwinFakeInputKeyboard*>(data);
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) != 0 ||
        self->m_fakeInput != nullptr)
        return;
    self->m_offeredVersion = version;
    self->m_fakeInput = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
        registry, name, &org_kde_kwin_fake_input_interface, std::min(version, keysVersion)));
}

void KwinFakeInputKeyboard::registryGlobalRemove(void*, wl_registry*, uint32_t) {
    // Fake input withdrawn ends our object with it; the next post fails and says so.
}

void KwinFakeInputKeyboard::readEvents() {
    // The interface has no events; reading keeps the socket drained and sees errors.
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0) {
            connectionFailed();
            return;
        }
    }
    if (wl_display_dispatch_pending(m_display) < 0) connectionFailed();
}

bool KwinFakeInputKeyboard::connectionFailed() {
    if (m_failed) return true;
    const int error = wl_display_get_error(m_display);
    if (error == 0) return false;
    m_failed = true;
    if (m_notifier) m_notifier->setEnabled(false);
    qCWarning(lcPaste) << "the fake input connection to KWin broke:" << std::strerror(error)
                       << "; chosen texts stay on the clipboard";
    return true;
}

bool KwinFakeInputKeyboard::isTrusted() {
    return m_fakeInput != nullptr && !connectionFailed();
}

void KwinFakeInputKeyboard::sendKey(quint32 evdevCode, bool down) {
    org_kde_kwin_fake_input_keyboard_key(m_fakeInput, evdevCode,
                                         down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                              : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void KwinFakeInputKeyboard::postKey(quint16 virtualKeyCode, bool keyDown, quint64 flags) {
    if (!isTrusted()) return;
    const std::optional<quint32> key = m_keymap->evdevCodeForKey(virtualKeyCode);
    if (!key) {
        qCWarning(lcPaste) << "no key for virtual key code" << virtualKeyCode;
        return;
    }
    // The modifier keys sit at the same place in every layout.
    QList<quint32> modifiers;
    for (const KeyModifier* modifier : KeyTable::modifiersIn(flags))
        modifiers.append(KeyTable::modifierKey(*modifier).evdev);
    if (keyDown) {
        for (const quint32 modifier : modifiers) sendKey(modifier, true);
        sendKey(*key, true);
    } else {
        sendKey(*key, false);
        for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it) sendKey(*it, false);
    }
    // Never waits: a compositor that does not read leaves the requests queued here.
    if (wl_display_flush(m_display) < 0) {
        if (errno == EAGAIN)
            qCWarning(lcPaste) << "KWin is not reading; the key events wait in the queue";
        else
            connectionFailed();
    }
}

}  // namespace quillet
