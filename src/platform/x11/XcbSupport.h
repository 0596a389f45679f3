#pragma once

// Small helpers shared by the xcb backends; private to platform/x11.

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace quillet::xcb {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
// Replies, events and errors are malloc'd by xcb and owned by the caller.
template <typename T>
using Ptr = std::unique_ptr<T, FreeDeleter>;

// xcb spells "none" as enumerators; typed constants keep conditionals warning-free.
constexpr xcb_atom_t noAtom = XCB_ATOM_NONE;
constexpr xcb_window_t noWindow = XCB_WINDOW_NONE;

inline xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    Ptr<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr)};
    return reply ? reply->atom : noAtom;
}

// The root window of screen `screenNumber`, or none when there is no such screen.
inline xcb_window_t rootWindow(xcb_connection_t* connection, int screenNumber = 0) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data->root : noWindow;
}

}  // namespace quillet::xcb
