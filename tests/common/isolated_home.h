// For test programs that run the desktop shell: the process's XDG data and
// config homes and pictures directory become a fresh temporary directory (removed at exit), so no
// test reads or writes the settings or save states of the real home. Child
// processes inherit it. Include this in the program's sources; the home is
// set up before main runs. It lives in memory (/dev/shm) where there is such
// a file system: the program flushes every settings change to the disk, and
// thousands of random menu commands would otherwise wait on the disk.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace test_home {

class IsolatedHome {
public:
    IsolatedHome() {
        char inMemory[] = "/dev/shm/bevorel-home-XXXXXX";
        char onDisk[] = "/tmp/bevorel-home-XXXXXX";
        const char* name = mkdtemp(inMemory);
        if (!name) name = mkdtemp(onDisk);
        if (!name) {
            std::perror("cannot make a temporary home for the tests");
            std::abort();
        }
        root_ = name;
        setenv("XDG_DATA_HOME", data().c_str(), 1);
        setenv("XDG_CONFIG_HOME", config().c_str(), 1);
        setenv("XDG_PICTURES_DIR", pictures().c_str(), 1);
    }
    ~IsolatedHome() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

    std::filesystem::path data() const { return root_ / "data"; }
    std::filesystem::path config() const { return root_ / "config"; }
    std::filesystem::path pictures() const { return root_ / "pictures"; }
    // Removes every file a test left there.
    void clear() const {
        std::error_code ignored;
        std::filesystem::remove_all(data(), ignored);
        std::filesystem::remove_all(config(), ignored);
        std::filesystem::remove_all(pictures(), ignored);
    }

private:
    std::filesystem::path root_;
};

inline IsolatedHome& isolatedHome() {
    static IsolatedHome home;
    return home;
}

// Made while the program starts, before any test runs.
inline const bool kHomeIsolated = (isolatedHome(), true);

}  // namespace test_home
