// Where the main window goes when it is shown: beside the taskbar, wherever
// the user keeps it.  Pure arithmetic so that every edge can be checked
// without a screen.
#pragma once

#include <optional>

#include "platform/os_services.h"

namespace velmora::hkmainf {

struct WindowPlace {
    int left = 0;
    int top = 0;
};

// `taskbar` is the shell's answer to ABM_GETTASKBARPOS, empty when the shell
// could not give one; the window then goes to the bottom-right corner of
// `workArea`.  `width` and `height` are the window's outer size.
WindowPlace PlaceBesideTaskbar(const std::optional<Rect>& taskbar, int screenWidth, int screenHeight, int width,
                               int height, const Rect& workArea);

}  // namespace velmora::hkmainf
