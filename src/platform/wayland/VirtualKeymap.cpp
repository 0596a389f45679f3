#include "platform/wayland/VirtualKeymap.h"

#include <xkbcommon/xkbcommon.h>

#include "base/KeyTable.h"
#include "base/Logging.h"

namespace quillet {

VirtualKeymap::VirtualKeymap(xkb_context* context, xkb_keymap* keymap)
    : m_context(context), m_keymap(keymap) {
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (text != nullptr) {
        m_text = QByteArray(text);
        m_text.append('\0');  // the size we announce includes the terminator
        free(text);
    }
}

VirtualKeymap::~VirtualKeymap() {
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

std::unique_ptr<VirtualKeymap> VirtualKeymap::fromNames(const xkb_rule_names* names) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context == nullptr) return nullptr;
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        return nullptr;
    }
    std::unique_ptr<VirtualKeymap> result(new VirtualKeymap(context, keymap));
    if (result->text().isEmpty()) return nullptr;
    return result;
}

std::unique_ptr<VirtualKeymap> VirtualKeymap::compile() {
    // Null names take libxkbcommon's defaults, the environment's XKB_DEFAULT_* included.
    if (auto keymap = fromNames(nullptr)) return keymap;
    qCWarning(lcPaste) << "the default keyboard layout does not compile; using \"us\"";
    return compile("us", "");
}

std::unique_ptr<VirtualKeymap> VirtualKeymap::compile(const char* layout, const char* variant) {
    const xkb_rule_names names{"evdev", "pc105", layout, variant, ""};
    auto keymap = fromNames(&names);
    if (!keymap) {
        qCWarning(lcPaste) << "keyboard layout" << layout << variant << "does not compile";
        return nullptr;
    }
    return keymap;
}

std::optional<quint32> VirtualKeymap::evdevCodeFor(quint32 keysym) const {
    const xkb_keycode_t last = xkb_keymap_max_keycode(m_keymap);
    for (xkb_keycode_t code = xkb_keymap_min_keycode(m_keymap); code <= last; ++code) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(m_keymap, code, 0, 0, &syms);
        for (int i = 0; i < count; ++i) {
            // xkb key codes are evdev codes + 8, as X keycodes are.
            if (syms[i] == keysym && code >= 8) return code - 8;
        }
    }
    return std::nullopt;
}

std::optional<quint32> VirtualKeymap::evdevCodeForKey(quint16 keyCode) const {
    if (keyCode == KeyCode::v || keyCode == KeyCode::insert) {
        if (const auto code = evdevCodeFor(KeyTable::byCode(keyCode)->keysym)) return code;
    }
    return KeyTable::evdevCode(keyCode);
}

quint32 VirtualKeymap::modifierMask(const char* name) const {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(m_keymap, name);
    return index == XKB_MOD_INVALID ? 0 : quint32(1) << index;
}

}  // namespace quillet
