// The kept past on the demo: the machine is deterministic, so a history
// gives back every earlier frame exactly, and replaying the same keys from
// there gives the same frames again.
#include <gtest/gtest.h>

#include <vector>

#include "board_session.h"
#include "history.h"

namespace e2e {
namespace {

// Runs `inputs[from...]` on the board, keeping them in `history` when given;
// the hash of each frame.
std::vector<uint64_t> play(const std::vector<KeyStates>& inputs, size_t from, History* history) {
    std::vector<uint64_t> hashes;
    for (size_t f = from; f < inputs.size(); ++f) {
        board().runFrame(inputs[f]);
        if (history) history->frameRan(board(), {inputs[f], board().speed()});
        hashes.push_back(frameHash());
    }
    return hashes;
}

class DemoHistory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startBoard(DEMO_ROM_BASE));
        powerOn(false);
    }
};

TEST_F(DemoHistory, TenThousandRandomFramesReplayFromTheStartOfTheHistoryAsTheyRan) {
    const std::vector<KeyStates> inputs = randomInputs(10000, 23);
    History history;
    history.start(board());
    const std::vector<uint64_t> first = play(inputs, 0, &history);
    ASSERT_EQ(history.oldest(), 0u);  // 10,000 frames are within five minutes and the memory bound
    ASSERT_TRUE(history.goTo(board(), 0));
    EXPECT_EQ(play(inputs, 0, nullptr), first);
}

TEST_F(DemoHistory, RewindingShowsEachEarlierFrameAndReplayingTheSameKeysGivesTheSameFrames) {
    const std::vector<KeyStates> inputs = randomInputs(1000, 7);
    History history;
    history.start(board());
    const std::vector<uint64_t> first = play(inputs, 0, &history);
    for (size_t back = 1; back <= 300; ++back) {
        ASSERT_TRUE(history.stepBack(board()));
        ASSERT_EQ(history.now(), inputs.size() - back);
        ASSERT_EQ(frameHash(), first[inputs.size() - back - 1]) << back << " frames back";
    }
    const std::vector<uint64_t> again = play(inputs, inputs.size() - 300, &history);
    EXPECT_EQ(again, std::vector<uint64_t>(first.end() - 300, first.end()));
    EXPECT_EQ(history.now(), inputs.size());
}

TEST_F(DemoHistory, TheHistoryKeepsItsSecondsAndItsMemoryAndStopsAtItsStart) {
    struct Case {
        HistoryLimits limits;
        uint64_t framesKept;  // at least
    };
    const Case cases[] = {
        {{.seconds = 2, .framesPerSecond = 60, .bytes = size_t{64} << 20, .snapshotInterval = 4}, 120},
        {{.seconds = 300, .framesPerSecond = 60, .bytes = 96 * 1024, .snapshotInterval = 4}, 4},
    };
    const std::vector<KeyStates> inputs = randomInputs(3000, 5);
    for (const Case& c : cases) {
        powerOn(false);
        History history(c.limits);
        history.start(board());
        play(inputs, 0, &history);
        EXPECT_LE(history.bytes(), c.limits.bytes);
        EXPECT_GE(history.now() - history.oldest(), c.framesKept);
        EXPECT_LE(history.now() - history.oldest(), uint64_t{c.limits.seconds} * 60 + c.limits.snapshotInterval);
        while (history.stepBack(board())) {}
        EXPECT_EQ(history.now(), history.oldest());
        EXPECT_FALSE(history.goTo(board(), history.oldest() - 1));
    }
}

}  // namespace
}  // namespace e2e
