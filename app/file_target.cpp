#include "file_target.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

bool fileMayBeWritten(const std::string& path, std::string& error) {
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISREG(status.st_mode)) return true;
        error = path + " is not a regular file";
        return false;
    }
    if (errno != ENOENT) return true;  // what the write then meets says why
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (::stat(parent.empty() ? "." : parent.c_str(), &status) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}
