#include "platform/x11/X11SystemHotkeys.h"

#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <algorithm>

#include "base/KeyTable.h"
#include "base/Logging.h"
#include "platform/x11/XcbSupport.h"

namespace quillet {

namespace {

quint16 xModifiersFromHotkeyMask(quint32 modifiers) {
    quint16 mask = 0;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        if (modifiers & modifier.hotkeyBit) mask |= modifier.xMask;
    }
    return mask;
}

constexpr quint16 kKeyboardModifierBits = 0xff;

}  // namespace

class X11SystemHotkeys::EventFilter final : public QAbstractNativeEventFilter {
public:
    explicit EventFilter(X11SystemHotkeys& owner) : m_owner(owner) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        return m_owner.handleKeyPress(press->detail, press->state);
    }

private:
    X11SystemHotkeys& m_owner;
};

X11SystemHotkeys::X11SystemHotkeys(xcb_connection_t* connection, quint32 rootWindow)
    : m_connection(connection) {
    if (!m_connection || xcb_connection_has_error(m_connection)) return;
    m_root = rootWindow != 0 ? rootWindow : xcb::rootWindow(m_connection);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        m_filter = std::make_unique<EventFilter>(*this);
        app->installNativeEventFilter(m_filter.get());
    }
}

X11SystemHotkeys::~X11SystemHotkeys() {
    if (m_filter && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_filter.get());
    for (const auto& [ref, grab] : m_grabs) ungrab(grab);
}

bool X11SystemHotkeys::isAvailable() const {
    return m_connection && m_root != 0 && m_filter && !xcb_connection_has_error(m_connection);
}

void X11SystemHotkeys::installHandler(Handler handler) {
    m_handler = std::move(handler);
}

void X11SystemHotkeys::removeHandler() {
    m_handler = nullptr;
}

SystemHotkeys::Registration X11SystemHotkeys::registerHotkey(quint32 keyCode, quint32 modifiers,
                                                             quint32 signature, quint32 id) {
    if (!isAvailable()) return {};
    const std::optional<quint32> keycode = KeyTable::x11Keycode(keyCode);
    if (!keycode || *keycode < 8 || *keycode > 255) return {};

    Grab grab;
    grab.keycode = static_cast<quint8>(*keycode);
    grab.modifiers = xModifiersFromHotkeyMask(modifiers);
    grab.signature = signature;
    grab.id = id;
    // The server would let us grab our own combination twice; a second registration of it is
    // refused as the combination being taken.
    for (const auto& [ref, existing] : m_grabs) {
        if (existing.keycode == grab.keycode && existing.modifiers == grab.modifiers) return {};
    }

    m_numLockMask = findNumLockMask();
    std::vector<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (m_numLockMask != 0) {
        variants.push_back(m_numLockMask);
        variants.push_back(m_numLockMask | XCB_MOD_MASK_LOCK);
    }
    std::vector<xcb_void_cookie_t> cookies;
    for (quint16 variant : variants) {
        cookies.push_back(xcb_grab_key_checked(m_connection, 0, m_root, grab.modifiers | variant,
                                               grab.keycode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    int errorCode = 0;
    for (std::size_t i = 0; i < variants.size(); ++i) {
        // Usually BadAccess: another client holds this combination.
        if (xcb::Ptr<xcb_generic_error_t> error{xcb_request_check(m_connection, cookies[i])}) {
            refused = true;
            errorCode = error->error_code;
        } else
            grab.lockVariants.push_back(variants[i]);
    }
    if (refused) {
        qCWarning(lcHotkeys).nospace()
            << "the X server refused the grab of keycode " << grab.keycode << " with modifiers 0x"
            << Qt::hex << grab.modifiers << " (error " << Qt::dec << errorCode
            << (errorCode == 10 ? ", BadAccess: another program holds this key" : "")
            << "); the hot key stays inactive";
        ungrab(grab);
        return {};
    }

    const Ref ref = m_nextRef++;
    m_grabs.emplace(ref, std::move(grab));
    return {HotkeyStatus::noErr, ref};
}

void X11SystemHotkeys::unregisterHotkey(Ref ref) {
    const auto it = m_grabs.find(ref);
    if (it == m_grabs.end()) return;
    ungrab(it->second);
    m_grabs.erase(it);
}

bool X11SystemHotkeys::handleKeyPress(quint8 keycode, quint16 state) {
    const quint16 modifiers = state & kKeyboardModifierBits & ~(XCB_MOD_MASK_LOCK | m_numLockMask);
    const auto it = std::find_if(m_grabs.begin(), m_grabs.end(), [&](const auto& entry) {
        return entry.second.keycode == keycode && entry.second.modifiers == modifiers;
    });
    if (it == m_grabs.end() || !m_handler) return false;
    return m_handler(it->second.signature, it->second.id) == HotkeyStatus::noErr;
}

quint16 X11SystemHotkeys::findNumLockMask() const {
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    xcb::Ptr<xcb_keycode_t> numLockCodes{xcb_key_symbols_get_keycode(symbols.get(), XK_Num_Lock)};
    xcb::Ptr<xcb_get_modifier_mapping_reply_t> mapping{xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr)};
    if (!numLockCodes || !mapping) return 0;

    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == XCB_NO_SYMBOL) continue;
            for (const xcb_keycode_t* n = numLockCodes.get(); *n != XCB_NO_SYMBOL; ++n) {
                if (*n == code) return static_cast<quint16>(1u << modifier);
            }
        }
    }
    return 0;
}

void X11SystemHotkeys::ungrab(const Grab& grab) {
    if (!m_connection || xcb_connection_has_error(m_connection)) return;
    for (quint16 variant : grab.lockVariants)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | variant);
    xcb_flush(m_connection);
}

}  // namespace quillet
