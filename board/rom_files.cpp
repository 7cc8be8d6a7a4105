#include "rom_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

namespace {

std::string failure;

// Opens `path` for reading and checks it; -1 with `reason` set when it does
// not count as a ROM file. O_NONBLOCK: opening a FIFO must not wait for a
// writer.
int open_rom_file(const std::string& path, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;  // before shown_path, which may change it
        reason = shown_path(path) + (error == ENOENT || error == ENOTDIR
                                         ? std::string(" is missing")
                                         : " cannot be read (" + std::string(std::strerror(error)) + ")");
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = shown_path(path) + " is not a regular file";
    } else if (static_cast<size_t>(st.st_size) < kRomFileSize) {
        reason = shown_path(path) + " is " + std::to_string(st.st_size) + " bytes where " +
                 std::to_string(kRomFileSize) + " are needed";
    } else {
        return fd;
    }
    close(fd);
    return -1;
}

}  // namespace

std::string shown_path(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path given(path);
    fs::path directory = given.parent_path();
    if (directory.empty()) directory = ".";
    const fs::path resolved = fs::weakly_canonical(fs::absolute(directory, error), error);
    if (error || resolved.empty()) return path;
    return (resolved / given.filename()).string();
}

bool rom_file_usable(const std::string& path, std::string& reason) {
    const int fd = open_rom_file(path, reason);
    if (fd < 0) return false;
    close(fd);
    return true;
}

std::unique_ptr<unsigned char[]> read_rom_file(const std::string& path, std::string& reason) {
    const int fd = open_rom_file(path, reason);
    if (fd < 0) return nullptr;
    std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[kRomFileSize]);
    size_t got = 0;
    int readError = 0;
    while (data && got < kRomFileSize) {
        const ssize_t n = read(fd, data.get() + got, kRomFileSize - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) readError = errno;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (!data) {
        reason = shown_path(path) + " cannot be read (out of memory)";
        return nullptr;
    }
    if (got < kRomFileSize) {  // an error, or the file was shortened while we read it
        reason = shown_path(path) + " cannot be read (" +
                 (readError ? std::strerror(readError) : "it ended early") + ")";
        return nullptr;
    }
    return data;
}

const std::string& rom_set_failure() { return failure; }
void set_rom_set_failure(const std::string& reason) { failure = reason; }
