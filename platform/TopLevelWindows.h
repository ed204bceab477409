// Top-level windows of other programs on the desktop, found by their title.
// Stands in for finding a window by its caption and posting it a quit
// message: on X11 the window manager is asked to close the window (as its
// close button does; the program may still ask its user). The X connection
// is made through libxcb, loaded when first needed, so the program runs
// where there is no X library. A Wayland session without an X server lets no
// program find or close the windows of another: that answers cwUnsupported;
// under XWayland only the X clients are found.
#pragma once

#include <string>

namespace vorlin {

enum class TCloseWindowResult {
    cwAsked,        // a window with that title was asked to close
    cwNotFound,     // no top-level window has that title
    cwUnsupported,  // the desktop lets no program close another's window
};

// Asks every top-level window whose title is exactly `title` to close.
TCloseWindowResult CloseTopLevelWindow(const std::string& title);

} // namespace vorlin
