#pragma once

namespace quillet {

// The two X11 selections we read and own: CLIPBOARD (copy and paste) and PRIMARY (the last
// text selected, pasted by a middle click and by some terminals on Shift+Insert).
enum class X11Selection { clipboard, primary };

inline const char* selectionAtomName(X11Selection selection) {
    return selection == X11Selection::primary ? "PRIMARY" : "CLIPBOARD";
}

}  // namespace quillet
