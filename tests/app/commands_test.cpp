// Commands the window refuses or does not know change nothing: movies before
// a boot, codes just past each range of slots and keys, a boot with a game path of 1024
// characters or more, a boot in a window whose board found no ROM set. And
// what the real program's runs do not show: the settings file's speed at
// start, a speed for this run only, Pause before a boot, the running loop's
// period, the picture after Free ROM. The command table: a code is one
// row's, and every key has a name for the menus and key lists.
#include <algorithm>
#include <set>

#include "commands.h"
#include "hotkeys.h"
#include "key_codes.h"

#include "file_text.h"
#include "settings.h"
#include "shell_fixture.h"
#include "state_slots.h"

TEST_F(ShellTest, UnknownCodesAndRefusedBootsChangeNothing) {
    EXPECT_EQ(mOffscreen->Bounds().IntegerWidth() + 1, kScreenWidth) << "the bitmap is exactly the picture";
    testing::internal::CaptureStdout();
    for (uint32_t code : {kCmdPlayMovie, kCmdRecordFromHere}) window->Send(code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Cannot play a movie: no game is booted.\nCannot record a movie: no game is booted.\n");
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(3));
    const uint8_t key = keyboardConfig[0];
    const thread_id running = window->emulationThread();
    testing::internal::CaptureStdout();
    for (uint32_t code : {kCmdLoadStateBase + kStateSlots, kCmdSaveStateBase + kStateSlots, kCmdKeyBase[0] + kKeyCount})
        window->Send(code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fake.captures.load() + fake.restores.load(), 0);
    EXPECT_EQ(keyboardConfig[0], key);
    EXPECT_EQ(window->emulationThread(), running);
    EXPECT_TRUE(WaitForFrames(2));

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
        CloseWindow();
        resetShellState();
        fake.startUpSucceeds = !r.path.empty();
        OpenWindow();
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
    fake.startUpSucceeds = true;
}

TEST_F(ShellTest, TheSettingsSpeedHoldsARunsSpeedIsNotKeptPauseWaitsForABootFreeRomClears) {
    CloseWindow();
    resetShellState();
    Settings settings;
    settings.speed = Speed::Fps30;
    std::string error;
    ASSERT_TRUE(writeSettingsFile(settingsPath(), settings, error)) << error;
    OpenWindow();
    EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30)) << "the settings file's speed";
    window->Send(kCmdPause);
    EXPECT_EQ(wpaused.load(), 0) << "nothing to pause";
    window->Send(kCmdBoot);
    BMessage forThisRun(kCmdSpeedUnlimited);
    forThisRun.AddInt32(kForThisRun, 1);
    window->PostMessage(&forThisRun);
    window->Sync();
    ASSERT_TRUE(WaitForFrames(2));
    window->Send(kCmdFreeRom);  // joined: its writes are visible here
    EXPECT_EQ(snoozeTime, framePeriod(Speed::Unlimited)) << "the running loop takes the new speed";
    EXPECT_EQ(fileText(settingsPath()), formatSettings(settings)) << "a speed for this run only is not kept";
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_EQ(std::count(mBits, mBits + kScreenWidth * kScreenHeight, 0), kScreenWidth * kScreenHeight);
}

TEST(CommandTable, EachCodeIsOneRowsAndEveryKeyHasANameOfItsOwn) {
    for (const Command& row : commands()) {
        if (row.code) EXPECT_EQ(findCommand(row.code), &row) << row.place << " shares its code";
    }
    std::set<uint32_t> keys(keyCodesArray, keyCodesArray + kKeyCount);
    keys.insert({kKeyUp, kKeyDown, kKeyLeft, kKeyRight});
    keys.insert(kKeyDigit, kKeyDigit + 5);
    for (const Hotkey& key : hotkeys()) keys.insert(key.key);
    std::set<std::string> names;
    for (uint32_t key : keys) {
        EXPECT_NE(keyName(key), "") << "key " << key;
        names.insert(keyName(key));
    }
    EXPECT_EQ(names.size(), keys.size()) << "two keys of one name";
}

// Every item of each function's key submenu, as the menu sends it: the
// function's key becomes the item's key, and that item alone is marked.
TEST_F(ShellTest, EveryKeyItemChoosesItsKeyAndIsTheOneMarked) {
    for (int k = 0; k < 4; ++k) {
        BMenu* menu = menus[k + 1];
        ASSERT_EQ(menu->CountItems(), static_cast<int32>(kKeyCount));
        for (int p = 0; p < static_cast<int>(kKeyCount); ++p) {
            BMenuItem* item = menu->ItemAt(p);
            window->Send(item->Message()->what);
            EXPECT_EQ(keyboardConfig[k], keyCodesArray[p]) << "function " << k << ", item " << p;
            EXPECT_EQ(menu->FindMarked(), item) << "function " << k << ", item " << p;
        }
    }
}
