#include "hkmainf/placement.h"

namespace velmora::hkmainf {

WindowPlace PlaceBesideTaskbar(const std::optional<Rect>& taskbar, int screenWidth, int screenHeight, int width,
                               int height, const Rect& workArea) {
    WindowPlace place;
    if (!taskbar) {
        place.left = workArea.right - width;
        place.top = workArea.bottom - height;
        return place;
    }
    const Rect& bar = *taskbar;
    if (bar.left > 0) {
        // Right edge: touch the bar's left side, bottoms aligned.
        place.left = bar.left - width;
        place.top = bar.bottom - height;
    } else if (bar.top > 0) {
        // Bottom edge: sit on the bar, right edges aligned.
        place.left = bar.right - width;
        place.top = bar.top - height;
    } else {
        // Left or top edge: one pixel beyond the bar's far corner, pulled back
        // onto the screen along the axis the bar spans completely.
        place.left = bar.right + 1;
        place.top = bar.bottom + 1;
        if (place.left >= screenWidth) place.left = screenWidth - width;
        if (place.top >= screenHeight) place.top = screenHeight - height;
    }
    return place;
}

}  // namespace velmora::hkmainf
