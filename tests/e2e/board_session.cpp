#include "board_session.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <random>
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

::testing::AssertionResult startBoard(const std::string& dir) {
    if (startedDir.empty()) {
        startedDir = dir;
        started = board().startUp(dir);
        std::fflush(stdout);
    }
    if (dir != startedDir) return ::testing::AssertionFailure() << "the board already runs " << startedDir;
    if (!started)
        return ::testing::AssertionFailure() << "the ROM set did not load from " << dir
                                             << "Roms/ (is the m68k cross toolchain installed?)";
    return ::testing::AssertionSuccess();
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

void keysBefore(const std::vector<KeyEvent>& script, int frame) {
    releaseKeys();
    for (const KeyEvent& event : script)
        if (event.frame <= frame) setKey(event.key, event.held);
}

void runAndCheck(const std::string& name, const std::vector<KeyEvent>& script,
                 const std::vector<GoldenFrame>& golden) {
    const std::filesystem::path dir = E2E_FRAMES_DIR;
    std::filesystem::create_directories(dir / "differ");
    int last = 0;
    for (const auto& g : golden) last = std::max(last, g.frame);
    for (int frame = 1; frame <= last; ++frame) {
        for (const auto& event : script)
            if (event.frame == frame) setKey(event.key, event.held);
        runFrame();
        for (const auto& g : golden) {
            if (g.frame != frame) continue;
            const std::string file = name + "_" + std::to_string(frame) + ".png";
            EXPECT_TRUE(writeFramePng((dir / file).string())) << "cannot write " << (dir / file);
            if (const uint64_t hash = frameHash(); hash != g.hash) {
                writeFramePng((dir / "differ" / file).string());
                char text[32];
                std::snprintf(text, sizeof text, "0x%016" PRIX64, hash);
                ADD_FAILURE() << name << " frame " << frame << ": hash " << text << " is not the reviewed one; see "
                              << (dir / "differ" / file);
            }
        }
    }
}

std::vector<KeyStates> randomInputs(size_t frames, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<KeyStates> inputs(frames);
    KeyStates keys;
    for (size_t f = 0; f < frames; ++f) {
        if (random() % 6 == 0) {
            keys = {};
            for (Key key : {kUp, kDown, kLeft, kRight, kLeftAlt, kSpace, kLeftShift, kKey2})
                if (random() % 3 == 0) keys.hold(key);
        }
        inputs[f] = keys;
    }
    return inputs;
}

}  // namespace e2e
