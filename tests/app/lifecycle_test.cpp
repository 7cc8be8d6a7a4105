// Stopping the emulation thread wherever it is, over and over, and the
// frame-rate report at quit (the real board under random commands is the
// hostile menu storm's). (That --frames quits after exactly that many
// frames is the real program's golden-frame test's.)
#include "shell_fixture.h"

// The report counts the frames of the threads that ran, also when none runs
// at quit, and Quit ends the thread.
TEST_F(ShellTest, QuitPrintsTheAverageFrameRateAndEndsTheThread) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(5));
    std::string out = QuitAndCaptureOutput();
    EXPECT_GE(cpuTotalFrames, 5u);
    EXPECT_EQ(fpsReport(cpuTimeEnd - cpuTimeStart, cpuTotalFrames), out);
    thread_info info;
    EXPECT_EQ(get_thread_info(window->fCpuThread, &info), B_BAD_THREAD_ID);

    CloseWindow();
    resetShellState();
    OpenWindow();
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(3));
    window->Send(kCmdFreeRom);
    const uint32_t frames = cpuTotalFrames;
    const int64_t start = cpuTimeStart;
    out = QuitAndCaptureOutput();
    EXPECT_EQ(cpuTotalFrames, frames);
    EXPECT_EQ(out, fpsReport(cpuTimeEnd - start, frames));
}

TEST_F(ShellTest, StoppingAThreadThatWaitsInTheMonitor) {
    fake.monitorWaits = true;
    window->Send(kCmdDebug);
    window->Send(kCmdBoot);
    // Each thread enters the monitor once and waits there for good.
    for (int round = 1; round <= 5; ++round) {
        ASSERT_TRUE(eventually([&] { return fake.monitorEntries.load() >= round; }));
        window->Send(round % 2 ? kCmdReset : kCmdBoot);  // killed in the monitor, replaced
    }
    ASSERT_TRUE(eventually([&] { return fake.monitorEntries.load() >= 6; }));
    window->Send(kCmdFreeRom);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    window->Send(kCmdReset);
    ASSERT_TRUE(eventually([&] { return fake.monitorEntries.load() >= 7; }))
        << fake.monitorEntries.load() << " entries, " << fake.renders.load() << " frames, state "
        << EmulationState();
    QuitAndCaptureOutput();  // and quit while it waits there
    EXPECT_EQ(fake.renders.load(), fake.monitorEntries.load());
}

TEST_F(ShellTest, SwitchingDebugOffReleasesTheWaitingMonitor) {
    fake.monitorWaits = true;
    window->Send(kCmdDebug);
    window->Send(kCmdBoot);
    ASSERT_TRUE(eventually([&] { return fake.inMonitor.load(); }));
    EXPECT_EQ(fake.renders.load(), 1);  // held in the monitor
    const thread_id running = window->fCpuThread;
    window->Send(kCmdDebug);
    EXPECT_TRUE(WaitForFrames(5));  // the same thread runs on
    EXPECT_EQ(window->fCpuThread, running);
    EXPECT_EQ(fake.monitorEntries.load(), 1);
}

TEST_F(ShellTest, TheEmulationWaitsForTheWindowAndCanBeStoppedThere) {
    window->Send(kCmdSpeedUnlimited);
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(2));
    for (int round = 0; round < 10; ++round) {
        window->holdMs = 40;
        window->PostMessage(TestWindow::kHold);  // the window is busy: the emulation waits at its lock
        window->PostMessage(kCmdReset);          // then stops it there
    }
    window->Sync();
    EXPECT_TRUE(WaitForFrames(2));
    // While this thread holds the window, the unpaced emulation ends up
    // waiting at the window's lock, at most one frame later.
    window->Lock();
    const int frames = fake.renders.load();
    const bool waits = eventually([&] { return EmulationState() == B_THREAD_WAITING; });
    const int framesWhileHeld = fake.renders.load();
    window->Unlock();
    EXPECT_TRUE(waits);
    EXPECT_LE(framesWhileHeld, frames + 1);
    EXPECT_TRUE(WaitForFrames(2));
}
