// The board as the browser page drives it: a small C API over Machine, called
// from JavaScript (web/*.js). The page writes a ROM set's six files into the
// in-memory file system under /Roms/, boots, then runs frames with the keys
// it holds, and reads the picture, a frame hash for the tests and state
// images in the desktop program's format.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../tests/common/frame_hash.h"
#include "machine.h"
#include "rom_set_content.h"

namespace {

Machine& board = boardMachine();
std::string message;          // the last call's failure, one line
std::vector<uint8_t> stateImage;  // the last saved state
uint8_t rgba[kScreenWidth * kScreenHeight * 4];
KeyStates keys;

}  // namespace

extern "C" {

// Why the last call failed (one line), or "".
EMSCRIPTEN_KEEPALIVE const char* web_message() { return message.c_str(); }

// Checks the six files under /Roms/ as the desktop checks loose files (the
// same messages) and starts the board on them: power on, reset. 1 when it
// runs.
EMSCRIPTEN_KEEPALIVE int web_boot() {
    message.clear();
    RomSetFiles set;
    for (size_t i = 0; i < kRomSetNames.size(); ++i) {
        set.data[i] = read_rom_file(std::string("/Roms/") + kRomSetNames[i], message);
        if (!set.data[i]) return 0;
    }
    set.directory = "/";
    if (!board.startUp("/", RomSetSource{&set, ""})) {
        message = board.startUpFailure();
        if (message.empty()) message = "the board did not start (out of memory)";
        return 0;
    }
    board.powerOn();
    board.setServiceMode(false);
    board.reset();
    std::fflush(stdout);
    keys = {};
    return 1;
}

EMSCRIPTEN_KEEPALIVE void web_reset() { board.reset(); }

// The held keys, in KeyStates' layout (16 bytes, key_positions.h codes).
EMSCRIPTEN_KEEPALIVE uint8_t* web_keys() { return keys.bytes; }

// Runs `count` frames with the held keys; only the last one is drawn.
EMSCRIPTEN_KEEPALIVE void web_run_frames(int count) {
    for (int i = 0; i < count; ++i) board.runFrame(keys, FrameRun{.draw = i == count - 1});
}

// The picture as RGBA bytes (each 5-bit field widened to 8 bits), for a
// canvas's ImageData.
EMSCRIPTEN_KEEPALIVE const uint8_t* web_rgba() {
    const uint16_t* pixels = board.picture();
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
        for (int c = 0; c < 3; ++c) rgba[4 * i + c] = uint8_t((pixels[i] >> (10 - 5 * c) & 31) * 255 / 31);
        rgba[4 * i + 3] = 255;
    }
    return rgba;
}

// The picture's hash as the reviewed frames record it (tests/common/frame_hash.h),
// as 16 hexadecimal digits.
EMSCRIPTEN_KEEPALIVE const char* web_frame_hash() {
    static char text[20];
    std::snprintf(text, sizeof text, "%016llX",
                  static_cast<unsigned long long>(frame_hash(board.picture(), kScreenWidth * kScreenHeight)));
    return text;
}

// Saves the machine as a state image of the desktop program's format; its
// size, with the bytes at web_state_data().
EMSCRIPTEN_KEEPALIVE int web_save_state() {
    BoardState state;
    board.capture(state);
    stateImage = encodeState(state, board.romSetHash());
    return static_cast<int>(stateImage.size());
}
EMSCRIPTEN_KEEPALIVE const uint8_t* web_state_data() { return stateImage.data(); }

// The running set's identity as 16 hexadecimal digits (lower case, as the
// desktop program names its state files).
EMSCRIPTEN_KEEPALIVE const char* web_rom_set_hash() {
    static char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(board.romSetHash()));
    return text;
}

// A buffer of `size` bytes for the page to put a state image in.
EMSCRIPTEN_KEEPALIVE uint8_t* web_state_buffer(int size) {
    stateImage.assign(size > 0 ? static_cast<size_t>(size) : 0, 0);
    return stateImage.data();
}

// Loads the image in web_state_buffer, checked whole as the desktop checks a
// state file. 1 when loaded; else web_message() says why.
EMSCRIPTEN_KEEPALIVE int web_load_state() {
    message.clear();
    BoardState state;
    if (!decodeState(stateImage.data(), stateImage.size(), board.romSetHash(), state, message)) return 0;
    board.restore(state);
    return 1;
}

}  // extern "C"
