// Golden frame hashes: each checked frame is written as a PNG for people to
// look at, and again under differ/ when its hash is not the reviewed one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board_session.h"

namespace e2e {

// A key pressed or released before the given frame runs.
struct KeyEvent {
    int frame;
    Key key;
    bool held;
};

// A frame whose picture was reviewed, by its hash.
struct GoldenFrame {
    int frame;
    uint64_t hash;
};

// Runs frames 1 to the last golden frame from the current state, applying
// the key events, and checks each golden frame. `name` names the PNG files.
void runAndCheck(const std::string& name, const std::vector<KeyEvent>& script,
                 const std::vector<GoldenFrame>& golden);

}  // namespace e2e
