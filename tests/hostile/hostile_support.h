// Test support for hostile inputs: ROM sets in temporary directories, 68000
// program images assembled word by word, console capture, a watchdog against
// hangs.
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

// A fresh directory under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    const fs::path& path() const { return dir_; }
    std::string prefix() const { return dir_.string() + "/"; }  // as the board wants a directory

private:
    fs::path dir_;
};

// The 68000's view of the program ROM from address 0, the rest 0xFF (an
// unassigned opcode whose vector, 0xFFFFFFFF, points nowhere).
struct ProgramImage {
    ProgramImage(uint32_t ssp, uint32_t pc);
    ProgramImage& words(uint32_t address, std::initializer_list<uint16_t> list);
    ProgramImage& longWord(uint32_t address, uint32_t value);
    std::vector<uint8_t> bytes;
};

// A directory holding Roms/ with a ROM set: the program split into
// PELLMORA.3A (even bytes) and PELLMORA.2A (odd), CH0 .. CH3 a pattern.
class RomSet : public TempDir {
public:
    RomSet();
    fs::path file(const std::string& name) const { return path() / "Roms" / name; }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    void writeComplete(const ProgramImage& program) const;
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

// While it lives, an alarm that ends the process with a message after the
// given seconds: a hang fails at once, whatever it hangs in.
class Watchdog {
public:
    Watchdog(int seconds, const std::string& what);
    ~Watchdog();
};

double secondsNow();

}  // namespace hostile
