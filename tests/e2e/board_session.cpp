#include "board_session.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include <stb/stb_image_write.h>

#include "../common/frame_hash.h"
#include "board.h"
#include "key_state.h"

namespace e2e {

namespace {
std::string startedDir;
bool started = false;
int frames = 0;
constexpr uint32_t kRamBase = 0x100000;
constexpr uint32_t kRamSize = 0x4000;
}  // namespace

bool startBoard(const std::string& dir) {
    if (!startedDir.empty()) {
        if (dir != startedDir) std::printf("the board already runs the ROM set in %s\n", startedDir.c_str());
        return started && dir == startedDir;
    }
    startedDir = dir;
    pm_setKeySource(read_key_states);  // keys held through setKey, as the program's keyboard
    pm_initAll(dir.c_str());
    std::fflush(stdout);
    started = codeRom && tilesRom && onboardRam && spriteRam;
    return started;
}

void powerOn(bool serviceMode) {
    pm_powerOn();
    clear_key_states();
    s68000flushInterrupts();
    testMode = serviceMode ? 1 : 0;
    pm_reset();
    std::fflush(stdout);
    frames = 0;
}

void setKey(Key key, bool held) { set_key_state(key, held); }
void releaseKeys() { clear_key_states(); }

int runFrame() {
    pm_render(false, false, 60);
    return ++frames;
}

uint64_t frameHash() { return frame_hash(render_offscreen, std::size(render_offscreen)); }

bool writeFramePng(const std::string& path) {
    std::vector<uint8_t> rgb(sizeof render_offscreen / 2 * 3);
    auto widen = [](unsigned five) { return uint8_t(five << 3 | five >> 2); };
    for (std::size_t i = 0; i < std::size(render_offscreen); ++i) {
        const uint16_t p = render_offscreen[i];
        rgb[3 * i] = widen(p >> 10 & 31);
        rgb[3 * i + 1] = widen(p >> 5 & 31);
        rgb[3 * i + 2] = widen(p & 31);
    }
    return stbi_write_png(path.c_str(), kScreenWidth, kScreenHeight, 3, rgb.data(), kScreenWidth * 3) != 0;
}

// Work RAM is kept in the memory image format: each 68000 word as one
// host-order 16-bit value.
uint16_t readRamWord(uint32_t address) {
    const uint32_t offset = (address - kRamBase) & (kRamSize - 2);
    uint16_t word;
    std::memcpy(&word, onboardRam + offset, 2);
    return word;
}

uint32_t readRamLong(uint32_t address) {
    return uint32_t(readRamWord(address)) << 16 | readRamWord(address + 2);
}

}  // namespace e2e
