// Test support for hostile inputs: ROM sets in temporary directories, 68000
// program images assembled word by word, and a watchdog against hangs.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../board/rom_set.h"
#include "rom_files.h"

namespace hostile {

namespace fs = std::filesystem;

constexpr size_t kProgramSize = 2 * kRomFileSize;

// The 68000's view of the program ROM from address 0, the rest 0xFF (an
// unassigned opcode whose vector, 0xFFFFFFFF, points nowhere).
struct ProgramImage {
    ProgramImage(uint32_t ssp, uint32_t pc) : bytes(kProgramSize, 0xFF) { longWord(0, ssp).longWord(4, pc); }
    ProgramImage& words(uint32_t address, std::initializer_list<uint16_t> list) {
        for (const uint16_t w : list) bytes.at(address++) = static_cast<uint8_t>(w >> 8), bytes.at(address++) = w & 0xFF;
        return *this;
    }
    ProgramImage& longWord(uint32_t address, uint32_t value) {
        return words(address, {static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)});
    }
    std::vector<uint8_t> bytes;
};

// The board tests' ROM set directory, holding the program image split into
// PELLMORA.3A (even bytes) and PELLMORA.2A (odd), the graphics patterned.
struct RomSet : board_test::RomSetDir {
    fs::path file(const std::string& name) const { return roms() / name; }
    void writeComplete(const ProgramImage& program) const {
        rom_set_test::RomFiles files = rom_set_test::patternedSet();
        for (size_t i = 0; i < kRomFileSize; ++i) files[1][i] = program.bytes[2 * i], files[0][i] = program.bytes[2 * i + 1];
        rom_set_test::writeSet(roms(), files);
    }
};

using board_test::console_of;

// While it lives, an alarm that ends the process with a message after the
// given seconds: a hang fails at once, whatever it hangs in.
inline char hangMessage[512];
class Watchdog {
public:
    Watchdog(int seconds, const std::string& what) {
        std::snprintf(hangMessage, sizeof hangMessage, "\nHANG: %s did not end within %d s\n", what.c_str(), seconds);
        signal(SIGALRM, [](int) { _exit(write(STDERR_FILENO, hangMessage, std::strlen(hangMessage)) < 0 ? 125 : 124); });
        alarm(static_cast<unsigned>(seconds));
    }
    ~Watchdog() { alarm(0); }
};

inline double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace hostile
