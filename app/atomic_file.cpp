#include "atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

namespace {

// Temporary files are named ".NAME.XXXXXX" after the file NAME they replace,
// X a letter or a digit.
constexpr size_t kSuffixLength = 6;
constexpr char kSuffixCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameTries = 100;
// A temporary file older than this is no write under way.
constexpr time_t kStaleAfterSeconds = 60;
// Links followed to the file a path leads to, as the kernel allows.
constexpr int kMostLinks = 40;

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

std::string temporaryName(const std::string& dir, const std::string& leaf) {
    static std::mt19937_64 random{std::random_device{}()};
    static std::mutex lock;
    const std::lock_guard held(lock);
    std::string name = dir + "/." + leaf + ".";
    for (size_t i = 0; i < kSuffixLength; ++i) name += kSuffixCharacters[random() % (sizeof kSuffixCharacters - 1)];
    return name;
}

// Gives in `path` the file it leads to, through symbolic links (a link to
// nothing leads to the name it holds).
bool followLinks(std::string& path, std::string& error) {
    for (int links = 0; links < kMostLinks; ++links) {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length < 0 || static_cast<size_t>(length) == sizeof target) {
            error = failure("cannot follow the link", path, length < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        const std::string next(target, static_cast<size_t>(length));
        path = next[0] == '/' ? next : directoryOf(path) + "/" + next;
    }
    error = failure("cannot follow the link", path, ELOOP);
    return false;
}

bool createNamedTemporary(const std::string& dir, const std::string& leaf, mode_t mode, int& fd, std::string& name,
                          std::string& error) {
    for (int tries = 0; tries < kNameTries; ++tries) {
        name = temporaryName(dir, leaf);
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return true;
        if (errno != EEXIST) break;
    }
    error = failure("cannot write in", dir, errno);
    return false;
}

// Gives the unnamed file `fd` a temporary name in `dir`; false with errno set
// when it cannot.
bool linkTemporary(int fd, const std::string& dir, const std::string& leaf, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int tries = 0; tries < kNameTries; ++tries) {
        name = temporaryName(dir, leaf);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
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

bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error, mode_t newFileMode,
                         TemporaryFile temporaryFile) {
    std::string target = path;
    if (!followLinks(target, error)) return false;
    const std::string dir = directoryOf(target);
    if (!makeDirectories(dir, error)) return false;
    const std::string leaf = target.substr(target.rfind('/') + 1);
    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing && isReadOnly(target)) {
        error = target + " is read-only";
        return false;
    }

    // An unnamed file gets its name only once it is whole, so a process
    // killed while it writes leaves nothing behind.
    int fd = temporaryFile == TemporaryFile::Unnamed
                 ? ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, newFileMode)
                 : -1;
    const bool unnamed = fd >= 0;
    std::string temporary;
    if (!unnamed && !createNamedTemporary(dir, leaf, newFileMode, fd, temporary, error)) return false;
    // The replacement keeps the old file's permissions exactly.
    bool written = writeAll(fd, static_cast<const uint8_t*>(data), size) &&
                   (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    int writeError = errno;
    bool named = !unnamed;
    if (written && unnamed) {
        named = linkTemporary(fd, dir, leaf, temporary);
        if (!named && errno != EEXIST) {
            // No /proc to name the file through: write a named one instead.
            ::close(fd);
            return writeFileAtomically(target, data, size, error, newFileMode, TemporaryFile::Named);
        }
        written = named;
        writeError = errno;
    }
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        error = failure("cannot write", target, written ? errno : writeError);
        if (named) ::unlink(temporary.c_str());
        return false;
    }
    // The new file's bytes are on the disk before its name replaces the old
    // one, so the name always leads to one whole file. The directory is not
    // flushed: a power cut just after the rename may bring back the old
    // file, whole, and a flush would double the time a save takes.
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = failure("cannot replace", target, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool isReadOnly(const std::string& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return false;
    return (status.st_mode & 0222) == 0 ||
           (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS));
}

int removeStaleTemporaries(const std::string& dir, bool (*isOwnFile)(const std::string& name)) {
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return 0;
    const time_t before = std::time(nullptr) - kStaleAfterSeconds;
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        // ".NAME.XXXXXX", as made by the writes above.
        const size_t size = name.size();
        if (size < 2 + kSuffixLength + 1 || name[0] != '.' || name[size - kSuffixLength - 1] != '.') continue;
        const std::string suffix = name.substr(size - kSuffixLength);
        if (suffix.find_first_not_of(kSuffixCharacters) != std::string::npos) continue;
        if (!isOwnFile(name.substr(1, size - kSuffixLength - 2))) continue;
        struct stat status;
        if (::fstatat(::dirfd(listing), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode) || status.st_mtime > before)
            continue;
        if (::unlinkat(::dirfd(listing), name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
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
