// The message the workbench's bar shows: the last one given, for a few
// seconds or until the next one (an empty one clears the bar).
#pragma once

#include <string>

namespace workbench {

class Notice {
public:
    static constexpr double kSeconds = 5.0;
    // `now` in seconds on any steady clock.
    void give(std::string text, double now);
    // The message to show at `now`: empty once it has stood kSeconds.
    const std::string& shown(double now);

private:
    std::string fText;
    double fSince = 0;
};

}  // namespace workbench
