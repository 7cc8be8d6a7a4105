#include "board_session.h"

#include <cstdio>
#include <vector>

#include <stb/stb_image_write.h>

#include "../common/frame_hash.h"

namespace e2e {

namespace {
constexpr size_t kPixels = kScreenWidth * kScreenHeight;
std::string startedDir;
bool started = false;
int frames = 0;
KeyStates keys;
}  // namespace

Machine& board() { return boardMachine(); }

bool startBoard(const std::string& dir) {
    if (!startedDir.empty()) {
        if (dir != startedDir) std::printf("the board already runs the ROM set in %s\n", startedDir.c_str());
        return started && dir == startedDir;
    }
    startedDir = dir;
    started = board().startUp(dir);
    std::fflush(stdout);
    return started;
}

void powerOn(bool serviceMode) {
    board().powerOn();
    keys = {};
    board().setServiceMode(serviceMode);
    board().reset();
    std::fflush(stdout);
    frames = 0;
}

void setKey(Key key, bool held) { held ? keys.hold(key) : keys.release(key); }
void releaseKeys() { keys = {}; }

int runFrame() {
    board().runFrame(keys);
    return ++frames;
}

uint64_t frameHash() { return frame_hash(board().picture(), kPixels); }

bool writeFramePng(const std::string& path) {
    const uint16_t* picture = board().picture();
    std::vector<uint8_t> rgb(kPixels * 3);
    auto widen = [](unsigned five) { return uint8_t(five << 3 | five >> 2); };
    for (std::size_t i = 0; i < kPixels; ++i) {
        const uint16_t p = picture[i];
        rgb[3 * i] = widen(p >> 10 & 31);
        rgb[3 * i + 1] = widen(p >> 5 & 31);
        rgb[3 * i + 2] = widen(p & 31);
    }
    return stbi_write_png(path.c_str(), kScreenWidth, kScreenHeight, 3, rgb.data(), kScreenWidth * 3) != 0;
}

uint16_t readRamWord(uint32_t address) { return board().peekWord(address).value(); }
uint32_t readRamLong(uint32_t address) { return board().peekLong(address).value(); }

}  // namespace e2e
