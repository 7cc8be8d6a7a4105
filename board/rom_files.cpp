#include "rom_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

std::unique_ptr<unsigned char[]> read_rom_file(const std::string& path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) < kRomFileSize) {
        close(fd);
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> data(new (std::nothrow) unsigned char[kRomFileSize]);
    size_t got = 0;
    while (data && got < kRomFileSize) {
        const ssize_t n = read(fd, data.get() + got, kRomFileSize - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got < kRomFileSize) return nullptr;  // shortened while we read it
    return data;
}
