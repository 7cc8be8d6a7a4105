// Each command's effect on the flags, the board and the emulation thread.
#include <algorithm>
#include <cstring>

#include "shell_fixture.h"

TEST_F(ShellTest, ConstructionStartsTheBoardAndLeavesTheThreadSuspended) {
    EXPECT_STREQ(execPath, "/opt/games/bevorel/bin/");
    EXPECT_EQ(fake.startUps.load(), 1);
    EXPECT_EQ(fake.startUpDirectory, "/opt/games/bevorel/bin/");
    thread_info info;
    ASSERT_EQ(get_thread_info(window->fCpuThread, &info), B_OK);
    EXPECT_EQ(info.state, B_THREAD_SUSPENDED);
    EXPECT_STREQ(info.name, "cpuThread");
    EXPECT_EQ(info.priority, 10);
    EXPECT_EQ(fake.stopCheck, &check_thread_killed);
    // Exactly the picture, 256 x 224 (rectangles count both edges), below the menu bar.
    EXPECT_EQ(mOffscreen->Bounds().IntegerWidth(), 255);
    EXPECT_EQ(mOffscreen->Bounds().IntegerHeight(), 223);
    EXPECT_EQ(mBytesPerRow, 512);
    EXPECT_EQ(mView->Frame().top, 18);
    EXPECT_EQ(mView->Frame().right, 255);
    EXPECT_EQ(mView->Frame().bottom, 241);
    EXPECT_EQ(mView->PictureScaling(), B_PICTURE_INTEGER);
    snooze(50'000);
    EXPECT_EQ(fake.renders.load(), 0);
    EXPECT_FALSE(Booted());
}

TEST_F(ShellTest, BootResetsTheBoardAndRunsAFreshThread) {
    const thread_id suspended = window->fCpuThread;
    window->Send(kCmdBoot);
    EXPECT_STREQ(romPath, "po");
    EXPECT_EQ(fake.resets.load(), 1);
    EXPECT_NE(window->fCpuThread, suspended);
    thread_info info;
    EXPECT_EQ(get_thread_info(suspended, &info), B_BAD_THREAD_ID);
    EXPECT_TRUE(WaitForFrames(3));

    const thread_id first = window->fCpuThread;
    window->Send(kCmdBoot);  // again: replaced and reset
    EXPECT_EQ(fake.resets.load(), 2);
    EXPECT_NE(window->fCpuThread, first);
    EXPECT_TRUE(WaitForFrames(3));
}

TEST_F(ShellTest, BeforeBootResetPauseAndFreeRomDoNothing) {
    const thread_id suspended = window->fCpuThread;
    window->Send(kCmdReset);
    window->Send(kCmdPause);
    window->Send(kCmdFreeRom);
    EXPECT_EQ(fake.resets.load(), 0);
    EXPECT_EQ(wpaused.load(), 0);
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
}

TEST_F(ShellTest, ServiceModeFlipsTheFlagAndResetsWithoutStartingBeforeBoot) {
    const thread_id suspended = window->fCpuThread;
    window->Send(kCmdServiceMode);
    EXPECT_TRUE(fake.serviceMode());
    EXPECT_EQ(fake.resets.load(), 1);
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    window->Send(kCmdServiceMode);
    EXPECT_FALSE(fake.serviceMode());
    EXPECT_EQ(fake.resets.load(), 2);
}

TEST_F(ShellTest, ResetAndServiceModeReplaceTheRunningThread) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(2));
    thread_id previous = window->fCpuThread;
    window->Send(kCmdReset);
    EXPECT_EQ(fake.resets.load(), 2);
    EXPECT_NE(window->fCpuThread, previous);
    EXPECT_TRUE(WaitForFrames(2));
    previous = window->fCpuThread;
    window->Send(kCmdServiceMode);
    EXPECT_TRUE(fake.serviceMode());
    EXPECT_EQ(fake.resets.load(), 3);
    EXPECT_NE(window->fCpuThread, previous);
    EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(ShellTest, PauseInvertsTheFlagOnceBootedAndFramesKeepComing) {
    window->Send(kCmdBoot);
    window->Send(kCmdPause);
    EXPECT_EQ(wpaused.load(), 0xFF);
    const int pausedBefore = fake.renderedWhilePaused.load();
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_GT(fake.renderedWhilePaused.load(), pausedBefore);  // still presented, paused
    window->Send(kCmdPause);
    EXPECT_EQ(wpaused.load(), 0);
}

TEST_F(ShellTest, FreeRomStopsTheThreadClearsThePictureAndKeepsTheGameBooted) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(3));
    const thread_id running = window->fCpuThread;
    window->Send(kCmdFreeRom);
    EXPECT_NE(window->fCpuThread, running);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_STREQ(romPath, "po");
    for (int y = 0; y < 224; ++y)
        for (int x = 0; x < 256; ++x) ASSERT_EQ(mBits[y * 256 + x], 0) << x << "," << y;
    const int frames = fake.renders.load();
    snooze(60'000);
    EXPECT_EQ(fake.renders.load(), frames);

    window->Send(kCmdPause);  // inverted even though nothing runs
    EXPECT_EQ(wpaused.load(), 0xFF);
    window->Send(kCmdPause);

    window->Send(kCmdReset);  // and the emulation runs again from a reset
    EXPECT_EQ(fake.resets.load(), 2);
    EXPECT_TRUE(WaitForFrames(2));
}

TEST_F(ShellTest, DebugTogglesBeforeAndAfterBoot) {
    window->Send(kCmdDebug);
    EXPECT_EQ(debugOn.load(), 0xFF);
    window->Send(kCmdDebug);
    EXPECT_EQ(debugOn.load(), 0);
    window->Send(kCmdBoot);
    window->Send(kCmdDebug);
    EXPECT_TRUE(eventually([&] { return fake.renderedWhileDebug.load() > 0; }));
}

TEST_F(ShellTest, SpeedsSetCyclesAndPeriod) {
    window->Send(kCmdSpeed30);
    EXPECT_EQ(fake.speed(), Speed::Fps30);
    EXPECT_EQ(newSnoozeTime.load(), 33332u);
    window->Send(kCmdSpeedUnlimited);
    EXPECT_EQ(fake.speed(), Speed::Unlimited);
    EXPECT_EQ(newSnoozeTime.load(), 0u);
    window->Send(kCmdSpeed60);
    EXPECT_EQ(fake.speed(), Speed::Fps60);
    EXPECT_EQ(newSnoozeTime.load(), 16666u);
    for (BMenuItem* speed : fSkip) EXPECT_FALSE(speed->IsMarked());
}

TEST_F(ShellTest, TheRunningLoopAdoptsANewPeriodAtTheEndOfAFrame) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(1));
    window->Send(kCmdSpeed30);
    ASSERT_TRUE(WaitForFrames(2));
    window->Send(kCmdFreeRom);  // joined: its writes are visible here
    EXPECT_EQ(snoozeTime, 33332u);
}

TEST_F(ShellTest, PacedAtSixtyNoFrameComesEarly) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(1));
    const int first = fake.renders.load();
    const bigtime_t start = system_time();
    snooze(300'000);
    const int frames = fake.renders.load() - first;
    const bigtime_t elapsed = system_time() - start;
    EXPECT_LE(frames, elapsed / 16666 + 2);
}

TEST_F(ShellTest, ControllerChoicesMoveTheirMarks) {
    window->Send(kCmdJoystick);
    window->Send(kCmdJoystick);
    EXPECT_TRUE(fController[1]->IsMarked());
    EXPECT_FALSE(fController[0]->IsMarked());
    EXPECT_EQ(controlType, 1);
    window->Send(kCmdKeyboard);
    EXPECT_TRUE(fController[0]->IsMarked());
    EXPECT_FALSE(fController[1]->IsMarked());
    EXPECT_EQ(controlType, 0);
}

TEST_F(ShellTest, KeyChoicesRecordTheKeyAndKeepOneMarkPerSubmenu) {
    window->Send(4000 + 16);  // "Q" for Start
    EXPECT_EQ(keyboardConfig[0], 0x3C);
    EXPECT_EQ(menus[1]->FindMarked(), menus[1]->FindItem("Q"));
    int marked = 0;
    for (int p = 0; p < 34; ++p) marked += menus[1]->ItemAt(p)->IsMarked();
    EXPECT_EQ(marked, 1);

    window->Send(4200 + 29);  // "Space" for Button A and for Button B
    window->Send(4300 + 29);
    EXPECT_EQ(keyboardConfig[2], 0x5E);
    EXPECT_EQ(keyboardConfig[3], 0x5E);
    EXPECT_STREQ(menus[3]->FindMarked()->Label(), "Space");
    EXPECT_STREQ(menus[4]->FindMarked()->Label(), "Space");
    EXPECT_STREQ(menus[2]->FindMarked()->Label(), "D");  // the others are untouched
    window->Send(4133);  // "Enter" for Select, the last position
    EXPECT_EQ(keyboardConfig[1], 0x47);
}

TEST_F(ShellTest, InertCommandsChangeNothing) {
    window->Send(kCmdBoot);
    const thread_id running = window->fCpuThread;
    for (uint32_t code : {kCmdRomInfo, kCmdPlaySample, 9009u, 9100u, 9109u, 0x12345678u, 4034u})
        window->Send(code);
    EXPECT_EQ(window->fCpuThread, running);
    EXPECT_EQ(fake.resets.load(), 1);
    EXPECT_EQ(wpaused.load(), 0);
    EXPECT_EQ(debugOn.load(), 0);
    EXPECT_EQ(std::memcmp(keyboardConfig, "\x3D\x3E\x27\x50", 4), 0);
}

TEST_F(ShellTest, FramesAreCopiedRowByRowWithTheBitmapsStride) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(3));
    window->Send(kCmdFreeRom);
    // The fake fills every pixel of frame n with n; the bitmap shows the last.
    DrawnPicture picture;
    ASSERT_TRUE(mView->CopyDrawnPicture(picture));
    ASSERT_EQ(picture.width, 256);  // no spare column or row around the picture
    ASSERT_EQ(picture.height, 224);
    ASSERT_EQ(picture.bytesPerRow, 512);
    uint16_t first, middle, last;
    std::memcpy(&first, picture.pixels.data(), 2);
    std::memcpy(&middle, picture.pixels.data() + 111 * 512 + 128 * 2, 2);
    std::memcpy(&last, picture.pixels.data() + 223 * 512 + 255 * 2, 2);
    EXPECT_NE(first, 0);
    EXPECT_EQ(middle, first);
    EXPECT_EQ(last, first);
}

TEST_F(ShellTest, BootingWithoutALoadedRomSetIsRefused) {
    CloseWindow();
    resetShellState();
    fake.startUpSucceeds = false;
    OpenWindow();
    const thread_id suspended = window->fCpuThread;
    testing::internal::CaptureStdout();
    window->Send(kCmdBoot);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("No ROM set is loaded"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    EXPECT_FALSE(Booted());
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_FALSE(romInfoItem->IsEnabled());
    window->Send(kCmdServiceMode);  // flips and resets the board, which reports its failure
    EXPECT_TRUE(fake.serviceMode());
    EXPECT_EQ(fake.resets.load(), 1);
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
}

TEST_F(ShellTest, GamePathsOf1024CharactersOrMoreAreRefused) {
    BMessage request(kMsgLoadRom);
    const std::string tooLong(1024, 'x');
    request.AddString("path", tooLong.c_str());
    testing::internal::CaptureStdout();
    window->PostMessage(&request);
    window->Sync();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("1024 characters or more"), std::string::npos) << out;
    EXPECT_FALSE(Booted());

    const std::string longest = "/" + std::string(1022, 'y');
    BMessage accepted(kMsgLoadRom);
    accepted.AddString("path", longest.c_str());
    window->PostMessage(&accepted);
    window->Sync();
    EXPECT_EQ(std::string(romPath), longest);
    EXPECT_TRUE(WaitForFrames(1));
}
