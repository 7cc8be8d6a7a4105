// Fuzzes the save-state reader. Any bytes go to the containers a state file
// may come in (a refusal must be one line of printable text, so that no byte
// of a file reaches the terminal raw), then to decodeState against the
// loaded ROM set. A refused image must come with one line and leave the state
// it was to fill as it was; an accepted one must encode back to the same
// bytes, restore, and run a frame of the board inside its memories. An input whose
// first byte is odd is taken as a body: the harness puts a right header in
// front (this ROM set, the body's length and CRC), so that the fields
// themselves are fuzzed past the header's checks.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board.h"
#include "fuzz_check.h"
#include "save_state.h"
#include "state_containers.h"

namespace {

uint64_t romSetHash;  // the ROM set never changes: taken once

// A program ROM of NOPs with a branch back to the start at its end, the
// vectors pointing at 0x400, and graphics of every colour.
void startBoard() {
    static std::vector<uint16_t> program(0x20000, 0x4E71);
    static std::vector<unsigned char> ram(0x4000), sprites(0x1E00), tiles(0x100000);
    for (uint32_t v = 0; v < 256; ++v) {
        program[2 * v] = 0x0000;
        program[2 * v + 1] = 0x0400;
    }
    program[0] = 0x0010, program[1] = 0x4000;  // stack at the top of work RAM
    program[0x1FFFF] = 0x6000 | 0xFE;          // bra.s to itself
    for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<unsigned char>(i % 16);
    codeRom = reinterpret_cast<unsigned char*>(program.data());
    onboardRam = ram.data();
    spriteRam = sprites.data();
    tilesRom = tiles.data();
    s68000init();
    pm_defineMemoryMap();
    pm_reset();
}

std::vector<uint8_t> capturedNow(Speed speed) {
    BoardState state;
    pm_captureState(state, speed);
    return encodeState(state, 0);
}

std::vector<uint8_t> withHeader(const uint8_t* body, size_t size, uint64_t hash) {
    std::vector<uint8_t> image(save_state::kMagic, save_state::kMagic + 8);
    putLittle(image, save_state::kFormatVersion, 4);
    putLittle(image, hash, 8);
    putLittle(image, size, 4);
    putLittle(image, crc32(0, body, static_cast<uInt>(size)), 4);
    image.insert(image.end(), body, body + size);
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStdout();
    startBoard();
    romSetHash = pm_romSetHash();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string error;
    std::vector<uint8_t> inner;
    const auto printable = [](unsigned char c) { return c >= 0x20 && c < 0x7F; };
    if (!stateImageOf(data, size, inner, error) && (error.empty() || !std::ranges::all_of(error, printable)))
        fail("a container refusal that is not one printable line");
    error.clear();
    const uint64_t hash = romSetHash;
    const std::vector<uint8_t> image =
        data[0] & 1 ? withHeader(data + 1, size - 1, hash) : std::vector<uint8_t>(data + 1, data + size);

    BoardState state, untouched;
    std::memset(&state, 0x5A, sizeof state);
    std::memcpy(&untouched, &state, sizeof state);
    if (!decodeState(image.data(), image.size(), hash, state, error)) {
        if (!oneLine(error)) fail("a refusal without its one line");
        if (std::memcmp(&state, &untouched, sizeof state) != 0) fail("a refused image changed the state");
        return 0;
    }
    if (!error.empty()) fail("an accepted image came with an error");
    if (encodeState(state, hash) != image) fail("an accepted image does not encode back to itself");
    pm_restoreState(state);
    if (capturedNow(state.speed) != encodeState(state, 0)) fail("the machine is not the state that was restored");
    cpucycles_by_frame = 3000;  // a short frame: the fuzzer's time goes to the reader
    pm_render(false, false, 0);
    return 0;
}
