#pragma once

#include <ostream>

#include "hotkeys/HotkeyConfig.h"

namespace quillet {

// Readable failure messages for hot-key values.
inline void PrintTo(const HotkeyConfig& config, std::ostream* out) {
    *out << "HotkeyConfig(" << config.keyCode << ", 0x" << std::hex << config.modifierFlags
         << std::dec << ")";
}

}  // namespace quillet
