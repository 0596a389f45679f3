#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;
struct xkb_rule_names;

namespace quillet {

// The keymap a virtual keyboard announces, and how to type with it. The compositor hands it to
// the focused client along with our key events, so the client reads our key codes through it:
// keys are found by the symbol they produce, and the chord follows whatever layout this is.
class VirtualKeymap {
public:
    // The user's layout as libxkbcommon's defaults give it (XKB_DEFAULT_LAYOUT and the other
    // XKB_DEFAULT_* variables, else the system's), then a plain "us" layout; null if neither
    // compiles (no xkeyboard-config data).
    static std::unique_ptr<VirtualKeymap> compile();
    // One layout by its names, for tests: layout "us", variant "dvorak", ...
    static std::unique_ptr<VirtualKeymap> compile(const char* layout, const char* variant);
    ~VirtualKeymap();
    VirtualKeymap(const VirtualKeymap&) = delete;
    VirtualKeymap& operator=(const VirtualKeymap&) = delete;

    // The keymap in xkb_v1 text form, NUL-terminated as the protocol wants it.
    const QByteArray& text() const { return m_text; }
    // The evdev code of the key that yields `keysym` in the first layout without modifiers.
    std::optional<quint32> evdevCodeFor(quint32 keysym) const;
    // The evdev code that types a stored key code: the paste keys (V, Insert) by the symbol
    // they give in this layout, every other key by its physical position.
    std::optional<quint32> evdevCodeForKey(quint16 keyCode) const;
    // The modifier bit of a named modifier (XKB_MOD_NAME_CTRL, ...); 0 if the keymap has none.
    quint32 modifierMask(const char* name) const;

private:
    VirtualKeymap(xkb_context* context, xkb_keymap* keymap);
    static std::unique_ptr<VirtualKeymap> fromNames(const xkb_rule_names* names);

    xkb_context* m_context;
    xkb_keymap* m_keymap;
    QByteArray m_text;
};

}  // namespace quillet
