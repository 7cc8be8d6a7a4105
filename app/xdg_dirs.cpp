#include "xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
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
