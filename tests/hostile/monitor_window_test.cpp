// The real window, board and console monitor together: switching Debug off
// releases a monitor that waits at its prompt, and quitting while it waits
// ends the prompt's line before the frame-rate report.
#include <fstream>
#include <iterator>
#include <optional>

#include "board.h"
#include "emulation.h"
#include "menus.h"
#include "window_support.h"

using namespace hostile;

namespace {

std::string contentsOf(const fs::path& file) {
    std::fflush(stdout);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class Pred>
bool within(double seconds, Pred pred) {
    const double deadline = secondsNow() + seconds;
    while (!pred()) {
        if (secondsNow() > deadline) return false;
        snooze(2000);
    }
    return true;
}

const std::string kPrompt = "[cpu 1]>";

// A window on the demo with standard input an open pipe nobody writes to.
class MonitorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        console_.emplace(nullptr, output());
        startShellState();
        window_ = new SyncWindow(boardMachine());
        window_->Show();
        ASSERT_TRUE(boardMachine().ready()) << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
    }
    void TearDown() override {
        if (window_) Quit();
        console_.reset();
        // Failures were printed into the captured console: show them.
        if (HasFailure()) std::fprintf(stderr, "%s", console().c_str());
    }

    fs::path output() const { return work_.path() / "console"; }
    std::string console() const { return contentsOf(output()); }
    void Send(uint32 code) {
        window_->PostMessage(code);
        window_->Sync();
    }
    bool PromptShown(size_t count) {
        return within(60, [&] {
            const std::string text = console();
            size_t n = 0;
            for (size_t at = text.find(kPrompt); at != std::string::npos; at = text.find(kPrompt, at + 1)) ++n;
            return n >= count;
        });
    }
    bool FramesAdvance(uint32_t frames) {
        const uint32_t before = presented();
        return within(60, [&] { return presented() >= before + frames; });
    }
    uint32_t presented() const { return window_->fEmulation.framesPresented.load(); }
    void Quit() {
        window_->PostMessage(B_QUIT_REQUESTED);
        wait_for_thread(window_->Thread(), nullptr);
        delete window_;
        window_ = nullptr;
        releaseSurface();
    }

    TempDir work_;
    std::optional<Console> console_;
    SyncWindow* window_ = nullptr;
};

TEST_F(MonitorWindow, DebugSwitchedOffReleasesTheWaitingMonitorAndTheGameRunsOn) {
    Send(kCmdDebug);
    Send(kCmdBoot);
    ASSERT_TRUE(PromptShown(1)) << console();
    const uint32_t held = presented();
    snooze(100'000);
    EXPECT_EQ(presented(), held) << "frames went on while the monitor waited";

    const thread_id running = window_->fCpuThread;
    Send(kCmdDebug);
    EXPECT_TRUE(FramesAdvance(5));
    EXPECT_EQ(window_->fCpuThread, running);
    EXPECT_NE(console().find(kPrompt + "\n"), std::string::npos) << console();

    // On again: the monitor is back at the start of the next frame.
    Send(kCmdDebug);
    EXPECT_TRUE(PromptShown(2)) << console();
}

TEST_F(MonitorWindow, QuitWhileTheMonitorWaitsPutsTheFrameRateOnALineOfItsOwn) {
    Send(kCmdBoot);
    ASSERT_TRUE(FramesAdvance(3));
    Send(kCmdDebug);
    ASSERT_TRUE(PromptShown(1)) << console();
    Quit();
    const std::string text = console();
    EXPECT_NE(text.find(kPrompt + "\nAverage fps : "), std::string::npos) << text;
}

}  // namespace
