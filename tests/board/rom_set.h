// Test support: a ROM set in a temporary directory, start-up's console.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "rom_set_fixtures.h"

namespace board_test {

// A directory holding Roms/ with the six files, removed afterwards.
class RomSetDir : public TempDir {
public:
    RomSetDir() { std::filesystem::create_directories(roms()); }
    // The directory as the board wants it, with a trailing '/'.
    std::string prefix() const { return path().string() + "/"; }
    std::filesystem::path roms() const { return path() / "Roms"; }

    // A complete set: reset vectors ssp, pc (even bytes in PELLMORA.3A, odd
    // ones in PELLMORA.2A), zeros to 0x800 and 0xFF after them in the
    // program, patterned graphics.
    void write_complete(uint32_t ssp = 0x00104000, uint32_t pc = 0x00000400) const {
        rom_set_test::RomFiles files = rom_set_test::patternedSet();
        for (auto* program : {&files[0], &files[1]})
            std::fill(std::fill_n(program->begin(), 0x400, 0), program->end(), 0xFF);
        for (int i = 0; i < 8; ++i)
            files[1 - i % 2][i / 2] = static_cast<uint8_t>((i < 4 ? ssp : pc) >> (24 - 8 * (i % 4)));
        rom_set_test::writeSet(roms(), files);
    }
};

// Runs f with standard output captured and returns what it printed.
template <typename F>
std::string console_of(F&& f) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

}  // namespace board_test
