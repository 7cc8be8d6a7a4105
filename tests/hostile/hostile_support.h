// Test support for hostile inputs: ROM sets in temporary directories, 68000
// program images assembled word by word, console capture, and a watchdog
// against hangs.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tools/temp_dir.h"
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

// A directory holding Roms/ with a ROM set: the program split into
// PELLMORA.3A (even bytes) and PELLMORA.2A (odd), CH0 .. CH3 a pattern.
class RomSet : public TempDir {
public:
    RomSet() { fs::create_directory(path() / "Roms"); }
    std::string prefix() const { return path().string() + "/"; }  // as the board wants a directory
    fs::path file(const std::string& name) const { return path() / "Roms" / name; }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::error_code ignored;
        fs::remove(file(name), ignored);  // whatever a test left there
        std::ofstream(file(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void writeComplete(const ProgramImage& program) const {
        std::vector<uint8_t> even(kRomFileSize), odd(kRomFileSize);
        for (size_t i = 0; i < kRomFileSize; ++i) even[i] = program.bytes[2 * i], odd[i] = program.bytes[2 * i + 1];
        write("PELLMORA.3A", even), write("PELLMORA.2A", odd);
        for (int n = 0; n < 4; ++n) {
            for (size_t i = 0; i < kRomFileSize; ++i) even[i] = static_cast<uint8_t>(i * 13 + n);
            write("CH" + std::to_string(n), even);
        }
    }
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
