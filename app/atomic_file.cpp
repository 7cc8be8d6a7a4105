#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string failure(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool makeDirectories(const std::string& dir, std::string& error) {
    if (dir.empty()) return true;
    struct stat status;
    if (::stat(dir.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return true;
        error = dir + " is not a directory";
        return false;
    }
    const std::string parent = directoryOf(dir);
    if (parent != dir && !makeDirectories(parent, error)) return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = failure("cannot create the directory", dir, errno);
        return false;
    }
    return true;
}

bool writeNewFile(const std::string& path, const void* data, size_t size, bool& exists, std::string& error) {
    exists = false;
    if (!makeDirectories(directoryOf(path), error)) return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        exists = errno == EEXIST;
        error = failure("cannot create", path, errno);
        return false;
    }
    const bool written = writeAll(fd, static_cast<const uint8_t*>(data), size);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        error = failure("cannot write", path, written ? errno : writeError);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error) {
    const std::string dir = directoryOf(path);
    if (!makeDirectories(dir, error)) return false;
    const std::string leaf = path.substr(path.rfind('/') + 1);
    std::string temporary = dir + "/." + leaf + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = failure("cannot write in", dir, errno);
        return false;
    }
    const bool written = writeAll(fd, static_cast<const uint8_t*>(data), size) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        error = failure("cannot write", path, written ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    // The new file's bytes are on the disk before its name replaces the old
    // one, so the name always leads to one whole file. The directory is not
    // flushed: a power cut just after the rename may bring back the old
    // file, whole, and a flush would double the time a save takes.
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = failure("cannot replace", path, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

ReadStatus readWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    // Non-blocking, so that a FIFO put in the file's place cannot hang the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        error = failure("cannot open", path, errno);
        return ReadStatus::Failed;
    }
    struct stat status;
    ReadStatus result = ReadStatus::Failed;
    if (::fstat(fd, &status) != 0) {
        error = failure("cannot read", path, errno);
    } else if (!S_ISREG(status.st_mode)) {
        error = path + " is not a regular file";
    } else if (static_cast<uint64_t>(status.st_size) > limit) {
        error = path + " is too large (" + std::to_string(status.st_size) + " bytes)";
    } else {
        // The file may change meanwhile: read what is there, up to the limit.
        bytes.resize(limit + 1);
        size_t total = 0;
        for (;;) {
            const ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = failure("cannot read", path, errno);
                break;
            }
            total += static_cast<size_t>(n);
            if (n == 0 || total == bytes.size()) {
                result = total > limit ? ReadStatus::Failed : ReadStatus::Read;
                if (total > limit) error = path + " is too large (it grew while being read)";
                break;
            }
        }
        bytes.resize(result == ReadStatus::Read ? total : 0);
    }
    ::close(fd);
    return result;
}
