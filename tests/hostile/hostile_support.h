// Test support for hostile inputs: ROM sets written into temporary
// directories, 68000 program images assembled word by word, console capture,
// a watchdog against hangs, and the real program run as a child process.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "rom_files.h"

namespace hostile {

namespace fs = std::filesystem;

constexpr size_t kProgramSize = 2 * kRomFileSize;
extern const char* const kRomNames[6];  // PELLMORA.2A, PELLMORA.3A, CH0 .. CH3

// A fresh directory under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return dir_; }
    // The directory as the board wants it: with a trailing '/'.
    std::string prefix() const { return dir_.string() + "/"; }

private:
    fs::path dir_;
};

// The 68000's view of the program ROM from address 0, big-endian, the rest
// filled with 0xFF (an unassigned opcode whose exception vector, 0xFFFFFFFF,
// points nowhere).
class ProgramImage {
public:
    ProgramImage(uint32_t ssp, uint32_t pc);
    ProgramImage& words(uint32_t address, std::initializer_list<uint16_t> list);
    ProgramImage& longWord(uint32_t address, uint32_t value);
    ProgramImage& vector(int number, uint32_t address) { return longWord(4u * number, address); }
    ProgramImage& fill(uint32_t from, uint32_t to, uint16_t word);  // [from, to), even bounds
    uint16_t word(uint32_t address) const;
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// A directory holding Roms/ with a ROM set.
class RomSet {
public:
    RomSet();
    std::string prefix() const { return dir_.prefix(); }
    const fs::path& path() const { return dir_.path(); }
    fs::path file(const std::string& name) const { return dir_.path() / "Roms" / name; }

    void write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    // Splits the program into PELLMORA.3A (even bytes) and PELLMORA.2A (odd).
    void writeProgram(const ProgramImage& program) const;
    // CH0 .. CH3 with a fixed pattern of pixels.
    void writeGraphics() const;
    // A complete set: the program and the graphics.
    void writeComplete(const ProgramImage& program) const;

private:
    TempDir dir_;
};

// Runs f with file descriptor 1 captured and returns what it printed.
template <typename F>
std::string consoleOf(F&& f) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// The banner board start-up prints for a directory.
std::string banner(const std::string& dir);

// While it lives, a thread that ends the process with a message when the
// given number of seconds passes: a hang fails the test at once, whatever
// it hangs in, instead of at CTest's timeout.
class Watchdog {
public:
    Watchdog(int seconds, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    struct State;
    State* state_;
};

// Creates directories below `base` so that the deepest one's path has
// exactly `length` characters, and returns that path. Names are at most 200
// characters; `length` must exceed base's length by 2 or more.
fs::path makeDeepDirectory(const fs::path& base, size_t length);

// The process's peak resident set size so far, in KiB.
long peakRssKiB();
// Seconds of a monotonic clock.
double secondsNow();

// The outcome of a child process.
struct ChildRun {
    bool exited = false;     // ended by exit (not a signal, not timed out)
    int status = -1;         // exit status, when exited
    int signal = 0;          // the signal that ended it, if any
    bool timedOut = false;   // killed after the time limit
    std::string out, err;    // standard output and standard error
};

// Runs argv (argv[0] is both the file executed and the name given to the
// program) in `workDir`, in this process's environment changed by
// `environment` ("NAME=value" sets a variable, "NAME" alone removes it),
// standard input from /dev/null, for at most `seconds`.
ChildRun runChild(const std::vector<std::string>& argv, const fs::path& workDir,
                  const std::vector<std::string>& environment, int seconds);

// Describes a child's outcome for failure messages.
std::string describe(const ChildRun& run);

}  // namespace hostile
