#include "state_slots.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>

#include "xdg_dirs.h"

std::string stateDirectory() {
    const std::string base = xdgDataHome();
    return base.empty() ? "" : base + "/bevorel/states";
}

std::string slotPath(uint64_t romSetHash, int slot) {
    const std::string dir = stateDirectory();
    if (dir.empty()) return "";
    char name[48];
    std::snprintf(name, sizeof name, "/%016" PRIx64 "-slot%d.state", romSetHash, slot);
    return dir + name;
}

bool slotHoldsState(uint64_t romSetHash, int slot) {
    const std::string path = slotPath(romSetHash, slot);
    struct stat status;
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
