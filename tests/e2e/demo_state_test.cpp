// Save states on the demo, the proof that a state holds everything: a state
// saved after N frames and loaded after M more frames runs the next M frames
// exactly as they ran the first time, with the same keys, and exactly as a
// run from power-on that never saved.
#include <gtest/gtest.h>

#include <vector>

#include "board_session.h"
#include "save_state.h"
#include "scramble_machine.h"

namespace e2e {
namespace {

// Steering, firing, boosting and a theme change, spread over 300 frames.
const std::vector<KeyEvent> kScript = {
    {5, kRight, true},    {5, kLeftAlt, true},   {30, kDown, true},     {44, kLeftAlt, false},
    {60, kRight, false},  {61, kSpace, true},    {63, kSpace, false},   {90, kLeftShift, true},
    {90, kUp, true},      {120, kUp, false},     {121, kKey2, true},    {123, kKey2, false},
    {150, kLeft, true},   {152, kLeftAlt, true}, {200, kLeft, false},   {201, kLeftShift, false},
    {230, kKey4, true},   {231, kKey4, false},   {260, kLeftAlt, false}, {270, kDown, false},
};

// Runs frames `from` to `to` with the script's keys; the hash of each.
std::vector<uint64_t> runFrames(int from, int to) {
    keysBefore(kScript, from - 1);
    std::vector<uint64_t> hashes;
    for (int frame = from; frame <= to; ++frame) {
        for (const KeyEvent& event : kScript)
            if (event.frame == frame) setKey(event.key, event.held);
        runFrame();
        hashes.push_back(frameHash());
    }
    return hashes;
}

std::vector<uint8_t> saveImage() {
    BoardState state;
    board().capture(state);
    return encodeState(state, board().romSetHash());
}

void loadImage(const std::vector<uint8_t>& image) {
    BoardState state;
    std::string error;
    ASSERT_TRUE(decodeState(image.data(), image.size(), board().romSetHash(), state, error)) << error;
    board().restore(state);
}

class DemoStates : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(startBoard(DEMO_ROM_BASE)); }
    void TearDown() override {
        releaseKeys();
        board().setSpeed(Speed::Fps60);
    }
};

TEST_F(DemoStates, LoadingAStateReplaysTheFramesThatFollowedItAsARunThatNeverSaved) {
    constexpr int kAfter = 120;  // M
    for (int saveAt : {1, 37, 150}) {  // N
        SCOPED_TRACE("saved after frame " + std::to_string(saveAt));
        powerOn(false);
        runFrames(1, saveAt);
        const std::vector<uint8_t> image = saveImage();
        const std::vector<uint64_t> first = runFrames(saveAt + 1, saveAt + kAfter);

        board().restore(scrambledState());
        loadImage(image);
        const std::vector<uint64_t> replayed = runFrames(saveAt + 1, saveAt + kAfter);
        EXPECT_EQ(replayed, first);

        powerOn(false);
        const std::vector<uint64_t> neverSaved = runFrames(1, saveAt + kAfter);
        EXPECT_EQ(std::vector<uint64_t>(neverSaved.end() - kAfter, neverSaved.end()), first);
        // The frames differ from one another: the comparison saw the game move.
        EXPECT_NE(first.front(), first.back());
    }
}

TEST_F(DemoStates, AStateOfServiceModeAt30FpsBringsBackBoth) {
    powerOn(true);
    board().setSpeed(Speed::Fps30);
    runFrames(1, 40);
    const std::vector<uint8_t> image = saveImage();
    const std::vector<uint64_t> first = runFrames(41, 100);

    powerOn(false);  // another mode and speed, and a different picture
    runFrames(1, 10);
    loadImage(image);
    EXPECT_TRUE(board().serviceMode());
    EXPECT_EQ(board().speed(), Speed::Fps30);
    EXPECT_EQ(runFrames(41, 100), first);
}

}  // namespace
}  // namespace e2e
