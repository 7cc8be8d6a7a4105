// The file a movie is recorded into, written as the frames come: what the
// recorder made is written after each frame, a whole block of frames at a
// time, so that a program killed while recording leaves a movie that plays
// up to its last block (the kernel keeps what was written). Its end writes
// the header's frame count and flushes the file to the disk.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "movie.h"

class MovieFile {
public:
    MovieFile() = default;
    MovieFile(MovieFile&& other) noexcept { *this = std::move(other); }
    MovieFile& operator=(MovieFile&& other) noexcept;
    ~MovieFile() { close(); }

    // Opens `path` to record into, changing nothing in it yet. Refused, with
    // `error` saying why, unless it is a regular file or a new one in a
    // directory that is there, and can be written.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return fFd >= 0; }
    // Writes what `writer` made since the last write (the first write
    // empties the file). False when it could not: the file is closed and
    // notSaved() says why.
    bool write(MovieWriter& writer);
    // Ends the movie: its last frames and its header's frame count are
    // written and flushed to the disk, and the file is closed.
    bool finish(MovieWriter& writer);
    const std::string& path() const { return fPath; }
    // After a failed write: what the file keeps and why the rest is not
    // there, one line without its full stop.
    std::string notSaved() const;

private:
    bool failed(const char* what);
    void close();

    int fFd = -1;
    bool fEmptied = false;
    off_t fEnd = 0;              // where the next bytes go
    uint32_t fFramesSaved = 0;   // in the bytes written
    std::string fPath, fError;
};

// Ends the recording into `file`: the console's line that says how many
// frames the movie holds and where, or what was not saved and why. `saved`
// says which.
std::string finishRecording(MovieFile& file, MovieRecorder& recorder, bool& saved);
