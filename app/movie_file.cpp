#include "movie_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "file_target.h"

namespace {

// Writes all of `size` bytes at `offset`; false with errno set when it cannot.
bool writeAllAt(int fd, const uint8_t* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

}  // namespace

MovieFile& MovieFile::operator=(MovieFile&& other) noexcept {
    if (this == &other) return *this;
    close();
    fFd = std::exchange(other.fFd, -1);
    fEmptied = other.fEmptied;
    fEnd = other.fEnd;
    fFramesSaved = other.fFramesSaved;
    fPath = std::move(other.fPath);
    fError = std::move(other.fError);
    return *this;
}

bool MovieFile::open(const std::string& path, std::string& error) {
    close();
    if (!fileMayBeWritten(path, error)) return false;
    // Non-blocking: a FIFO put there since the check is refused, not waited on.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = fd < 0 ? "cannot write " + path + ": " + std::strerror(errno) : path + " is not a regular file";
        if (fd >= 0) ::close(fd);
        return false;
    }
    fFd = fd;
    fEmptied = false;
    fEnd = 0;
    fFramesSaved = 0;
    fPath = path;
    fError.clear();
    return true;
}

bool MovieFile::write(MovieWriter& writer) {
    const std::vector<uint8_t> bytes = writer.take();
    if (fFd < 0) return failed(nullptr);
    if (!fEmptied) {
        if (::ftruncate(fFd, 0) != 0) return failed("cannot write");
        fEmptied = true;
    }
    if (!writeAllAt(fFd, bytes.data(), bytes.size(), fEnd)) return failed("cannot write");
    fEnd += static_cast<off_t>(bytes.size());
    fFramesSaved = writer.framesTaken();
    return true;
}

bool MovieFile::finish(MovieWriter& writer) {
    uint8_t endFields[kMovieEndFieldsSize];
    writer.end(endFields);
    if (!write(writer)) return false;
    if (!writeAllAt(fFd, endFields, sizeof endFields, kMovieEndFieldsAt)) return failed("cannot finish");
    if (::fsync(fFd) != 0) return failed("cannot flush");
    const int fd = std::exchange(fFd, -1);
    if (::close(fd) != 0) return failed("cannot close");
    return true;
}

bool MovieFile::failed(const char* what) {
    if (what) fError = std::string(what) + " " + fPath + ": " + std::strerror(errno);
    close();
    return false;
}

void MovieFile::close() {
    if (fFd >= 0) ::close(fFd);
    fFd = -1;
}

std::string MovieFile::notSaved() const {
    // A file whose header was not finished plays its whole blocks.
    const uint32_t frames = fFramesSaved / kMovieBlockFrames * kMovieBlockFrames;
    const std::string kept = frames ? " after frame " + std::to_string(frames) : "";
    return "Movie not saved" + kept + ": " + (fError.empty() ? "its file is not open" : fError);
}

std::string finishRecording(MovieFile& file, MovieRecorder& recorder, bool& saved) {
    const uint32_t frames = recorder.frames();
    saved = file.finish(recorder);
    if (!saved) return file.notSaved() + ".";
    return "Movie recorded: " + std::to_string(frames) + " frames in " + file.path();
}
