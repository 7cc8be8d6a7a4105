// A temporary directory for a test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/bevorel-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "/nonexistent";  // every write there fails
    }
    ~TempDir() {
        std::error_code ignored;  // a destructor must not throw
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
