#pragma once

#include <wayland-client.h>

#include <chrono>

namespace quillet::wayland {

// wl_display_roundtrip with a deadline, which also ends when `stopFd` (if any) becomes
// readable. False when it did not complete.
bool roundtrip(wl_display* display, std::chrono::steady_clock::time_point deadline,
               int stopFd = -1);

}  // namespace quillet::wayland
