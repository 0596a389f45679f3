// What a test asks of KWin as a trusted client (a desktop entry grants this program
// org_kde_kwin_fake_input and org_kde_plasma_window_management):
//   quillet-kwin-client keys 125 42 47   holds Super, Shift, then V (evdev codes), as typed on
//                                        KWin's keyboard, and releases them in reverse order;
//   quillet-kwin-client active           prints the app id of the active window.
#include <fake-input-client-protocol.h>
#include <plasma-window-management-client-protocol.h>
#include <wayland-client.h>

#include <string>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

org_kde_kwin_fake_input* fakeInput = nullptr;
org_kde_plasma_window_management* windows = nullptr;

struct Window {
    std::string appId;
    bool active = false;
};
std::vector<Window*> known;

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
    if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) == 0 &&
        version >= 13)
        windows = static_cast<org_kde_plasma_window_management*>(
            wl_registry_bind(registry, name, &org_kde_plasma_window_management_interface, 13));
}

void globalRemove(void*, wl_registry*, uint32_t) {}

void appId(void* data, org_kde_plasma_window*, const char* id) {
    static_cast<Window*>(data)->appId = id;
}
void state(void* data, org_kde_plasma_window*, uint32_t flags) {
    static_cast<Window*>(data)->active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
}
void text(void*, org_kde_plasma_window*, const char*) {}
void texts(void*, org_kde_plasma_window*, const char*, const char*) {}
void nothing(void*, org_kde_plasma_window*) {}
void number(void*, org_kde_plasma_window*, int32_t) {}
void unsignedNumber(void*, org_kde_plasma_window*, uint32_t) {}
void parent(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
void geometry(void*, org_kde_plasma_window*, int32_t, int32_t, uint32_t, uint32_t) {}
const org_kde_plasma_window_listener windowListener{
    &text, &appId, &state, &number, &text, &nothing, &nothing, &parent, &geometry,
    &nothing, &unsignedNumber, &text, &text, &texts, &text, &text, &text};

void windowWithUuid(void*, org_kde_plasma_window_management* manager, uint32_t, const char* uuid) {
    auto* window = new Window;
    known.push_back(window);
    org_kde_plasma_window_add_listener(
        org_kde_plasma_window_management_get_window_by_uuid(manager, uuid), &windowListener, window);
}
void ignoreId(void*, org_kde_plasma_window_management*, uint32_t) {}
void ignoreArray(void*, org_kde_plasma_window_management*, wl_array*) {}
void ignoreText(void*, org_kde_plasma_window_management*, const char*) {}
const org_kde_plasma_window_management_listener managerListener{
    &ignoreId, &ignoreId, &ignoreArray, &ignoreText, &windowWithUuid};

int printActive(wl_display* display) {
    if (windows == nullptr) {
        std::fprintf(stderr, "KWin lists no windows to this program\n");
        return 1;
    }
    org_kde_plasma_window_management_add_listener(windows, &managerListener, nullptr);
    wl_display_roundtrip(display);  // the windows
    wl_display_roundtrip(display);  // their app ids and states
    for (const Window* window : known)
        if (window->active) std::printf("%s\n", window->appId.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    std::vector<uint32_t> keys;
    for (int i = 2; i < argc; ++i) keys.push_back(uint32_t(std::strtoul(argv[i], nullptr, 10)));
    if (mode != "active" && (mode != "keys" || keys.empty())) {
        std::fprintf(stderr, "usage: quillet-kwin-client keys <evdev code>... | active\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    static const wl_registry_listener listener{&global, &globalRemove};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, nullptr);
    wl_display_roundtrip(display);
    if (mode == "active") return printActive(display);
    if (fakeInput == nullptr) {
        std::fprintf(stderr, "KWin grants no fake input with keys to this program\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fakeInput, "quillet tests", "type test keys");
    for (const uint32_t key : keys)
        org_kde_kwin_fake_input_keyboard_key(fakeInput, key, WL_KEYBOARD_KEY_STATE_PRESSED);
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        org_kde_kwin_fake_input_keyboard_key(fakeInput, *it, WL_KEYBOARD_KEY_STATE_RELEASED);
    // A round trip: KWin has handled every key before we go.
    const int result = wl_display_roundtrip(display) < 0 ? 1 : 0;
    org_kde_kwin_fake_input_destroy(fakeInput);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return result;
}
