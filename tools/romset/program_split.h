// The 68000 program as the board's two byte-wide ROM files.
#pragma once

#include <cstdint>
#include <vector>

namespace romset {

struct ProgramRoms {
    std::vector<uint8_t> even;  // kEvenProgramFile: bytes at even addresses (high byte of each word)
    std::vector<uint8_t> odd;   // kOddProgramFile: bytes at odd addresses (low byte of each word)
};

// Splits a flat big-endian program image (at most 256 KiB) into the two
// 128 KiB files, padding with 0xFF (erased ROM). Throws RomError when too big
// or empty.
ProgramRoms splitProgram(const std::vector<uint8_t>& image);

// The reverse: the flat 256 KiB image. Only the first 128 KiB of each file are
// used; shorter files are refused, as the board refuses them.
std::vector<uint8_t> joinProgram(const std::vector<uint8_t>& even, const std::vector<uint8_t>& odd);

}  // namespace romset
