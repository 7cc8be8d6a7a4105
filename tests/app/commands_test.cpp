// Each command's effect on the flags, the board, the menus, the settings and
// the emulation thread, before and after a boot.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "file_text.h"
#include "hotkeys.h"
#include "shell_fixture.h"

namespace fs = std::filesystem;

namespace {

struct Effect {
    const char* name;
    bool booted;                   // sent after a boot (and three frames)
    std::vector<uint32_t> codes;   // sent in turn
    int resets;                    // board resets they cause
    bool replaced;                 // the emulation thread is a new one
    bool runs;                     // frames come after them (else the thread is suspended)
    uint8_t paused = 0, debug = 0;
    bool service = false;
    Speed speed = Speed::Fps60;
};

const uint32_t kInert[] = {kCmdRomInfo, kCmdPlaySample, kCmdLoadStateBase + 8, kCmdSaveStateBase - 1,
                           kCmdSaveStateBase + 8, 0x12345678u, kCmdKeyBase[0] + kKeyCount};

}  // namespace

TEST_F(ShellTest, EachCommandBeforeAndAfterBoot) {
    const std::vector<uint32_t> inert(std::begin(kInert), std::end(kInert));
    const Effect effects[] = {
        {"reset, pause, free ROM before boot", false, {kCmdReset, kCmdPause, kCmdFreeRom}, 0, false, false},
        {"service mode before boot", false, {kCmdServiceMode}, 1, false, false, 0, 0, true},
        {"service mode twice", false, {kCmdServiceMode, kCmdServiceMode}, 2, false, false},
        {"debug before boot", false, {kCmdDebug}, 0, false, false, 0, 0xFF},
        {"speed 30", false, {kCmdSpeed30}, 0, false, false, 0, 0, false, Speed::Fps30},
        {"unlimited", false, {kCmdSpeedUnlimited}, 0, false, false, 0, 0, false, Speed::Unlimited},
        {"inert before boot", false, inert, 0, false, false},
        {"boot again", true, {kCmdBoot}, 1, true, true},
        {"reset", true, {kCmdReset}, 1, true, true},
        {"service mode", true, {kCmdServiceMode}, 1, true, true, 0, 0, true},
        {"pause: paused frames keep coming", true, {kCmdPause}, 0, false, true, 0xFF},
        {"pause twice", true, {kCmdPause, kCmdPause}, 0, false, true},
        {"free ROM", true, {kCmdFreeRom}, 0, true, false},
        {"free ROM then pause", true, {kCmdFreeRom, kCmdPause}, 0, true, false, 0xFF},
        {"free ROM then reset", true, {kCmdFreeRom, kCmdReset}, 1, true, true},
        {"debug", true, {kCmdDebug}, 0, false, true, 0, 0xFF},
        {"inert after boot", true, inert, 0, false, true},
    };
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.name);
        CloseWindow();
        resetShellState();
        fake.setServiceMode(false);
        fake.setSpeed(Speed::Fps60);
        OpenWindow();
        if (e.booted) {
            window->Send(kCmdBoot);
            ASSERT_TRUE(WaitForFrames(3));
        }
        const int resetsBefore = fake.resets.load();
        uint8_t keys[4];
        std::memcpy(keys, keyboardConfig, sizeof keys);
        const thread_id before = window->fCpuThread;
        for (uint32_t code : e.codes) window->Send(code);
        EXPECT_EQ(fake.resets.load() - resetsBefore, e.resets);
        EXPECT_EQ(window->fCpuThread != before, e.replaced);
        EXPECT_EQ(Booted(), e.booted);
        EXPECT_EQ(wpaused.load(), e.paused);
        EXPECT_EQ(debugOn.load(), e.debug);
        EXPECT_EQ(fake.serviceMode(), e.service);
        EXPECT_EQ(fake.speed(), e.speed);
        EXPECT_EQ(newSnoozeTime.load(), framePeriod(e.speed));
        EXPECT_TRUE(e.runs ? WaitForFrames(2) : EmulationState() == B_THREAD_SUSPENDED);
        EXPECT_EQ(std::memcmp(keyboardConfig, keys, sizeof keys), 0) << "the keys are untouched";
    }
}

TEST_F(ShellTest, ConstructionStartsTheBoardAndLeavesTheThreadSuspended) {
    EXPECT_EQ(std::pair(fake.startUps.load(), fake.startUpDirectory), std::pair(1, std::string("/opt/games/bevorel/bin/")));
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_EQ(fake.stopCheck, &check_thread_killed);
    EXPECT_EQ(fake.leaveCheck, &debugSwitchedOff);
    // Exactly the picture (rectangles count both edges).
    EXPECT_EQ(mOffscreen->Bounds().IntegerWidth() + 1, kScreenWidth);
    EXPECT_EQ(mView->Frame().IntegerHeight() + 1, kScreenHeight);
}

// Boot enables what needs a game, and nothing disables it again; every item
// a hotkey sends shows a shortcut, and no other does.
TEST_F(ShellTest, BootEnablesTheGamesItemsAndItemsShowTheirHotkeys) {
    EXPECT_FALSE(romInfoItem->IsEnabled() || tmpMenu->IsEnabled() || tmpMenu2->IsEnabled());
    window->Send(kCmdBoot);
    window->Send(kCmdFreeRom);
    EXPECT_TRUE(romInfoItem->IsEnabled() && tmpMenu->IsEnabled() && tmpMenu2->IsEnabled());
    std::vector<uint32_t> sent;
    for (const Hotkey& key : hotkeys()) sent.push_back(key.pressed);
    int shown = 0;
    std::function<void(BMenu*)> visit = [&](BMenu* menu) {
        for (int i = 0; i < menu->CountItems(); ++i) {
            BMenuItem* item = menu->ItemAt(i);
            if (item->Submenu()) visit(item->Submenu());
            if (item->IsSeparator() || item->Submenu()) continue;
            const bool hot = std::count(sent.begin(), sent.end(), item->Command()) > 0;
            EXPECT_EQ(item->ShortcutText().empty(), !hot) << item->Label();
            shown += hot;
        }
    };
    visit(menuBar);
    EXPECT_GT(shown, 0);
}

// Key and controller choices are recorded, marked and written to the
// settings; a setting for this run only is not; the next window reads them.
TEST_F(ShellTest, ChoicesAreMarkedWrittenAndReadByTheNextWindow) {
    window->Send(kCmdBoot);
    window->Send(kCmdReset);
    EXPECT_FALSE(fs::exists(settingsPath())) << "no setting changed";
    const struct {
        int button, position;
    } choices[] = {{2, 29}, {3, 29}, {1, kKeyCount - 1}, {0, 16}};
    for (const auto& c : choices) {
        window->Send(kCmdKeyBase[c.button] + c.position);
        EXPECT_EQ(keyboardConfig[c.button], keyCodesArray[c.position]);
        BMenu* submenu = menus[c.button + 1];
        for (int p = 0; p < kKeyCount; ++p) EXPECT_EQ(submenu->ItemAt(p)->IsMarked(), p == c.position);
    }
    EXPECT_EQ(keyboardConfig[2], keyboardConfig[3]) << "two buttons may share a key";
    window->Send(kCmdJoystick);
    EXPECT_TRUE(fController[1]->IsMarked() && !fController[0]->IsMarked() && controlType == 1);
    BMessage forThisRun(kCmdSpeed30);
    forThisRun.AddInt32(kForThisRun, 1);
    window->PostMessage(&forThisRun);
    window->Sync();
    const std::string text = fileText(settingsPath());
    EXPECT_NE(text.find("type = joystick\nstart = Q\n"), std::string::npos) << text;
    EXPECT_NE(text.find("speed = 60\n"), std::string::npos) << "a speed for this run only is not kept";

    CloseWindow();
    resetShellState();  // also empties the home: write the file again
    fs::create_directories(fs::path(settingsPath()).parent_path());
    std::ofstream(settingsPath()) << text;
    OpenWindow();
    EXPECT_TRUE(fController[1]->IsMarked() && controlType == 1);
    EXPECT_STREQ(menus[1]->FindMarked()->Label(), "Q");
    EXPECT_EQ(keyboardConfig[0], 0x3C);
    window->Send(kCmdKeyboard);
    EXPECT_TRUE(fController[0]->IsMarked() && !fController[1]->IsMarked() && controlType == 0);
}

TEST_F(ShellTest, FreeRomClearsThePictureAndFramesFillTheBitmapRowByRow) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(3));
    window->Send(kCmdFreeRom);  // joined: the last frame drawn stays in the view
    DrawnPicture picture;
    ASSERT_TRUE(mView->CopyDrawnPicture(picture));
    ASSERT_EQ(picture.width, kScreenWidth);
    ASSERT_EQ(picture.height, kScreenHeight);
    // The fake fills every pixel of frame n with n.
    std::vector<uint16_t> pixels(picture.pixels.size() / 2);
    std::memcpy(pixels.data(), picture.pixels.data(), picture.pixels.size());
    EXPECT_NE(pixels.front(), 0);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), pixels.front()), static_cast<long>(pixels.size()));
    EXPECT_EQ(std::count(mBits, mBits + kScreenWidth * kScreenHeight, 0), kScreenWidth * kScreenHeight)
        << "the bitmap is cleared";
}

TEST_F(ShellTest, TheRunningLoopAdoptsANewPeriodAndNoFrameComesEarly) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(1));
    const int first = fake.renders.load();
    const bigtime_t start = system_time();
    ASSERT_TRUE(WaitForFrames(10));
    const int frames = fake.renders.load() - first;
    EXPECT_LE(frames, (system_time() - start) / framePeriod(Speed::Fps60) + 2);
    window->Send(kCmdSpeed30);
    ASSERT_TRUE(WaitForFrames(2));
    window->Send(kCmdFreeRom);  // joined: its writes are visible here
    EXPECT_EQ(snoozeTime, framePeriod(Speed::Fps30));
}

// A boot is refused in one line, changing nothing, with a game path of 1024
// characters or more, or without a loaded ROM set.
TEST_F(ShellTest, BootsAreRefusedInOneLineWithAPathTooLongOrWithoutARomSet) {
    const std::string fits = "/" + std::string(1022, 'y');
    const struct {
        std::string path;  // empty: Boot, in a window whose board found no ROM set
        std::string out;
    } rows[] = {
        {std::string(1024, 'x'), "Cannot boot: the game's path is 1024 characters or more.\n"},
        {fits, ""},
        {"", "No ROM set is loaded (see the start-up messages above): the game cannot be booted.\n"},
    };
    for (const auto& r : rows) {
        if (r.path.empty()) {
            CloseWindow();
            resetShellState();
            fake.startUpSucceeds = false;
            OpenWindow();
        }
        BMessage request(r.path.empty() ? kCmdBoot : kMsgLoadRom);
        request.AddString("path", r.path.c_str());
        testing::internal::CaptureStdout();
        window->PostMessage(&request);
        window->Sync();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), r.out);
        EXPECT_EQ(std::string(romPath), r.path == fits ? fits : "");
        EXPECT_EQ(EmulationState() == B_THREAD_SUSPENDED, r.path != fits);
        EXPECT_EQ(romInfoItem->IsEnabled(), r.path == fits);
    }
}
