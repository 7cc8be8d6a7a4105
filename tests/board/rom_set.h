// Test support: a ROM set in a temporary directory, start-up's console.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace board_test {

namespace fs = std::filesystem;

constexpr size_t kRomSize = 131072;

// A directory holding Roms/ with the six files, removed afterwards.
class RomSetDir {
public:
    RomSetDir() {
        char name[] = "/tmp/bevorel-romset-XXXXXX";
        dir_ = mkdtemp(name);
        fs::create_directories(dir_ / "Roms");
    }
    ~RomSetDir() { fs::remove_all(dir_); }
    RomSetDir(const RomSetDir&) = delete;
    RomSetDir& operator=(const RomSetDir&) = delete;

    // The directory as the board wants it, with a trailing '/'.
    std::string prefix() const { return dir_.string() + "/"; }
    fs::path file(const std::string& name) const { return dir_ / "Roms" / name; }

    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(file(name), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // A complete set: reset vectors ssp, pc (even bytes in PELLMORA.3A),
    // patterned graphics.
    void write_complete(uint32_t ssp = 0x00104000, uint32_t pc = 0x00000400) const {
        std::vector<uint8_t> even(kRomSize, 0xFF), odd(kRomSize, 0xFF);
        for (int i = 0; i < 2; ++i) {
            even[i] = static_cast<uint8_t>(ssp >> (24 - 16 * i)), odd[i] = static_cast<uint8_t>(ssp >> (16 - 16 * i));
            even[2 + i] = static_cast<uint8_t>(pc >> (24 - 16 * i)), odd[2 + i] = static_cast<uint8_t>(pc >> (16 - 16 * i));
        }
        std::fill(even.begin() + 4, even.begin() + 0x400, 0), std::fill(odd.begin() + 4, odd.begin() + 0x400, 0);
        write("PELLMORA.3A", even);
        write("PELLMORA.2A", odd);
        for (int n = 0; n < 4; ++n) {
            std::vector<uint8_t> bytes(kRomSize);
            for (size_t i = 0; i < kRomSize; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + n);
            write("CH" + std::to_string(n), bytes);
        }
    }

private:
    fs::path dir_;
};

// Runs f with standard output captured and returns what it printed.
template <typename F>
std::string console_of(F&& f) {
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// The banner of start-up, for a given directory.
inline std::string banner(const std::string& dir) {
    return "*******************************\n"
           "BePellmora v0.80 - sprite board emulator, ROM set PELLMORA\n"
           "68000 + Z80 board, 480 sprites over one background colour\n"
           "*******************************\n\n"
           "Credits : \n"
           "\tEmulation programming: the BePellmora developers\n"
           "\t68000 core library: the BePellmora developers\n"
           "Main  CPU : 68000 8.0 Mhz\n"
           "Sound CPU : Z80   3.6 Mhz\n"
           "\n"
           "Executing in " + dir + "\n";
}

}  // namespace board_test
