// The reviewed frames of the demo's end-to-end tests, read from their source
// so that the core is held to the same review: each run's key script and its
// golden frame hashes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace libretro_test {

struct ScriptedKey {
    int frame;        // pressed or released before this frame runs
    std::string key;  // the end-to-end tests' name: kUp, kLeftAlt, kKey3...
    bool held;
};

struct GoldenFrame {
    int frame;
    uint64_t hash;
};

struct DemoRun {
    std::vector<ScriptedKey> script;
    std::vector<GoldenFrame> golden;
};

// The run `name` ("demo_attract", "demo_play", "demo_service") of the source
// file `source`; empty golden frames when it cannot be found.
DemoRun demoRun(const std::string& source, const std::string& name);

}  // namespace libretro_test
