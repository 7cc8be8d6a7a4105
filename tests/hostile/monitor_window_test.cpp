// The real window, board and console monitor together: the monitor holds the
// game at its prompt, switching Debug off releases it, and quitting while it
// waits ends the prompt's line before the frame-rate report.
#include "window_support.h"

using namespace hostile;

namespace {

const std::string kPrompt = "[cpu 1]>";

class MonitorWindow : public ::testing::Test {
protected:
    void TearDown() override {
        if (window_) quitWindow(window_);
        if (HasFailure()) std::fprintf(stderr, "%s", console_.text().c_str());
    }
    void send(uint32 code) {
        window_->PostMessage(code);
        window_->Sync();
    }
    bool prompts(size_t count) { return within(60, [&] { return occurrences(console_.text(), kPrompt) >= count; }); }
    uint32_t presented() const { return window_->fEmulation.framesPresented.load(); }
    bool framesAdvance(uint32_t frames) {
        const uint32_t before = presented();
        return within(60, [&] { return presented() >= before + frames; });
    }

    TempDir work_;
    Console console_{nullptr, work_.path() / "console"};  // input: a pipe the test writes to
    SyncWindow* window_ = startWindow();
};

TEST_F(MonitorWindow, HoldsTheGameAtItsPromptUntilDebugIsSwitchedOff) {
    send(kCmdDebug);
    send(kCmdBoot);
    ASSERT_TRUE(prompts(1));
    const uint32_t held = presented();
    console_.feed("r\n");  // answered at the prompt, within the same frame
    ASSERT_TRUE(prompts(2));
    EXPECT_EQ(presented(), held) << "frames went on while the monitor waited";
    const thread_id running = window_->fCpuThread;
    send(kCmdDebug);
    EXPECT_TRUE(framesAdvance(5));
    EXPECT_EQ(window_->fCpuThread, running) << "released, not restarted";
    send(kCmdDebug);  // on again: back at the start of the next frame
    EXPECT_TRUE(prompts(3));
}

TEST_F(MonitorWindow, QuitWhileTheMonitorWaitsPutsTheFrameRateOnALineOfItsOwn) {
    send(kCmdBoot);
    ASSERT_TRUE(framesAdvance(3));
    send(kCmdDebug);
    ASSERT_TRUE(prompts(1));
    quitWindow(window_);
    window_ = nullptr;
    EXPECT_NE(console_.text().find(kPrompt + "\nAverage fps : "), std::string::npos) << console_.text();
}

}  // namespace
