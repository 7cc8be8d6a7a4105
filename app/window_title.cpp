#include "window_title.h"

#include "bevorel_window.h"

std::string statusTitle(const TitleStatus& status) {
    std::string title = kWindowName;
    if (status.running && status.paused) title += " - Paused";
    if (status.debug) title += " - Debug";
    if (!status.running || status.paused || status.debug) return title;
    if (status.measuredFps >= 0) {
        // 59 to 61 is 60: a second holds whole frames, and the clock wobbles.
        if (status.measuredFps < 59 || status.measuredFps > 61) title += " - " + std::to_string(status.measuredFps) + " fps";
    } else if (status.turbo || status.speed == Speed::Unlimited) {
        title += " - Unlimited";
    } else if (status.speed == Speed::Fps30) {
        title += " - 30 fps";
    }
    return title;
}
