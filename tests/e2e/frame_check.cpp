#include "frame_check.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>

namespace e2e {

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
            const uint64_t hash = frameHash();
            if (hash != g.hash) {
                writeFramePng((dir / "differ" / file).string());
                char text[32];
                std::snprintf(text, sizeof text, "0x%016" PRIX64, hash);
                ADD_FAILURE() << name << " frame " << frame << ": hash " << text << " is not the reviewed one; see "
                              << (dir / "differ" / file);
            }
        }
    }
}

}  // namespace e2e
