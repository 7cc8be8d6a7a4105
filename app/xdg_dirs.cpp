#include "xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return "";
}

// A relative path in the variable is not valid and is ignored.
std::string baseDirectory(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
    const std::string home = homeDirectory();
    return home.empty() ? "" : home + underHome;
}

}  // namespace

std::string xdgDataHome() { return baseDirectory("XDG_DATA_HOME", "/.local/share"); }
std::string xdgConfigHome() { return baseDirectory("XDG_CONFIG_HOME", "/.config"); }

std::vector<std::string> xdgDataDirs() {
    std::vector<std::string> dirs;
    const char* value = std::getenv("XDG_DATA_DIRS");
    for (std::string rest = value ? value : ""; !rest.empty();) {
        const size_t colon = rest.find(':');
        const std::string entry = rest.substr(0, colon);
        if (!entry.empty() && entry[0] == '/') dirs.push_back(entry);
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    if (dirs.empty()) dirs = {"/usr/local/share", "/usr/share"};
    return dirs;
}

namespace {

// The pictures directory that a user-dirs.dirs file names, "" when none.
std::string picturesInUserDirs(const std::string& file, const std::string& home) {
    std::ifstream in(file);
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=\"";
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        const size_t open = start + key.size();
        const size_t close = line.find('"', open);
        if (close == std::string::npos) continue;
        std::string value = line.substr(open, close - open);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty()) continue;
            value = home + value.substr(5);
        }
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        if (!value.empty() && value[0] == '/') return value;
    }
    return "";
}

}  // namespace

std::string xdgPicturesDir() {
    if (const char* value = std::getenv("XDG_PICTURES_DIR"); value && value[0] == '/') return value;
    const std::string home = homeDirectory();
    const std::string config = xdgConfigHome();
    if (!config.empty()) {
        const std::string named = picturesInUserDirs(config + "/user-dirs.dirs", home);
        if (!named.empty()) return named;
    }
    return home.empty() ? "" : home + "/Pictures";
}
