#include "board_session.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <random>

#include <stb/stb_image_write.h>

#include "../common/frame_hash.h"

namespace e2e {

namespace {
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

int runFrame() {
    board().runFrame(keys);
    return ++frames;
}

uint64_t frameHash() { return frame_hash(board().picture(), kScreenWidth * kScreenHeight); }

void runAndCheck(const std::string& name, const std::vector<KeyEvent>& script, const std::vector<GoldenFrame>& golden) {
    const std::filesystem::path dir = std::filesystem::path(E2E_FRAMES_DIR) / "differ";
    for (int frame = 1; frame <= golden.back().frame; ++frame) {  // golden frames in frame order
        for (const KeyEvent& event : script)
            if (event.frame == frame) event.held ? keys.hold(event.key) : keys.release(event.key);
        runFrame();
        for (const auto& g : golden) {
            if (g.frame != frame || frameHash() == g.hash) continue;
            std::vector<uint8_t> rgb;  // 5-bit fields widened to 8 bits
            for (size_t i = 0; i < kScreenWidth * kScreenHeight; ++i)
                for (int shift : {10, 5, 0}) rgb.push_back(uint8_t((board().picture()[i] >> shift & 31) * 255 / 31));
            std::filesystem::create_directories(dir);
            const std::string file = (dir / (name + "_" + std::to_string(frame) + ".png")).string();
            stbi_write_png(file.c_str(), kScreenWidth, kScreenHeight, 3, rgb.data(), kScreenWidth * 3);
            char text[32];
            std::snprintf(text, sizeof text, "0x%016" PRIX64, frameHash());
            ADD_FAILURE() << name << " frame " << frame << ": hash " << text << " is not the reviewed one; see " << file;
        }
    }
    keys = {};
}

std::vector<KeyStates> randomInputs(size_t frames, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<KeyStates> inputs(frames);
    KeyStates held;
    for (size_t f = 0; f < frames; ++f) {
        if (random() % 6 == 0) {
            held = {};
            for (Key key : {kUp, kDown, kLeft, kRight, kLeftAlt, kSpace, kLeftShift, kKey2})
                if (random() % 3 == 0) held.hold(key);
        }
        inputs[f] = held;
    }
    return inputs;
}

}  // namespace e2e
