#include "screenshot_files.h"

#include <vector>

#include "atomic_file.h"
#include "screenshot.h"

namespace {
// Files of one second: more than this many means something else is wrong.
constexpr int kMostTries = 1000;
}  // namespace

std::string screenshotName(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char name[64];
    std::strftime(name, sizeof name, "bevorel-%Y%m%d-%H%M%S.png", &local);
    return name;
}

bool saveScreenshot(const DrawnPicture& picture, const std::string& dir, std::time_t when, std::string& path,
                    std::string& error) {
    std::vector<uint8_t> png;
    if (!encodePicturePng(picture, png, error)) return false;
    const std::string name = screenshotName(when);
    const std::string stem = dir + "/" + name.substr(0, name.size() - 4);
    for (int n = 1; n <= kMostTries; ++n) {
        path = n == 1 ? stem + ".png" : stem + "-" + std::to_string(n) + ".png";
        bool exists = false;
        if (writeNewFile(path, png.data(), png.size(), exists, error)) return true;
        if (!exists) return false;
    }
    error = "there are already " + std::to_string(kMostTries) + " screenshots of " + stem + "*.png";
    return false;
}
