// The window's state slots over the fake board: saves and loads between
// frames with no emulation thread running board code, the slot files and
// their marks, the pause kept, the speed restored, every refusal leaving
// the game untouched, the start-up load, and the settings file.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>

#include "file_text.h"
#include "save_state.h"
#include "shell_fixture.h"
#include "state_slots.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytesOf(const std::string& path) {
    const std::string text = fileText(path);
    return {text.begin(), text.end()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

class StateSlots : public ShellTest {
protected:
    // Sends a command and returns what it printed.
    std::string Console(uint32_t code) {
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        window->Send(code);
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    std::string Path(int slot) const { return slotPath(fake.hash, slot); }
    bool Marked(int slot) const { return tmpMenu->ItemAt(slot)->IsMarked() && tmpMenu2->ItemAt(slot)->IsMarked(); }
    int MarkedCount() const {
        int n = 0;
        for (int slot = 0; slot < kStateSlots; ++slot) n += tmpMenu->ItemAt(slot)->IsMarked() + tmpMenu2->ItemAt(slot)->IsMarked();
        return n;
    }
    // Saves `value` as the machine's state in `slot` (the game booted).
    void SaveMachine(int slot, uint32_t value) {
        // Paused, and once a paused frame has begun no other frame is under
        // way: the machine stands still while it is set.
        const int paused = fake.renderedWhilePaused.load();
        window->Send(kCmdPause);
        ASSERT_TRUE(eventually([&] { return fake.renderedWhilePaused.load() > paused; }));
        fake.counter = value;
        Console(kCmdSaveStateBase + slot);
        window->Send(kCmdPause);
    }
};

}  // namespace

TEST_F(StateSlots, BeforeABootEverySlotCommandIsRefused) {
    const thread_id suspended = window->fCpuThread;
    EXPECT_EQ(Console(kCmdSaveStateBase + 2), "Cannot save slot 2: no game is booted.\n");
    EXPECT_EQ(Console(kCmdLoadStateBase + 7), "Cannot load slot 7: no game is booted.\n");
    EXPECT_EQ(fake.captures.load() + fake.restores.load(), 0);
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_FALSE(fs::exists(stateDirectory()));
}

TEST_F(StateSlots, SavingWritesTheSlotsFileMarksItAndTheGameRunsOn) {
    window->Send(kCmdBoot);
    EXPECT_EQ(MarkedCount(), 0);
    ASSERT_TRUE(WaitForFrames(3));
    const thread_id before = window->fCpuThread;
    EXPECT_EQ(Console(kCmdSaveStateBase + 3), "State saved in slot 3: " + Path(3) + "\n");
    EXPECT_EQ(fake.captures.load(), 1);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
    EXPECT_NE(window->fCpuThread, before) << "the emulation thread was stopped around the save";
    EXPECT_EQ(EmulationState() == B_THREAD_SUSPENDED, false);
    EXPECT_TRUE(WaitForFrames(3));

    const std::vector<uint8_t> file = bytesOf(Path(3));
    ASSERT_EQ(file.size(), save_state::kImageSize);
    BoardState state;
    std::string error;
    ASSERT_TRUE(decodeState(file.data(), file.size(), fake.hash, state, error)) << error;
    EXPECT_TRUE(Marked(3));
    EXPECT_EQ(MarkedCount(), 2);
}

TEST_F(StateSlots, LoadingBringsTheSavedMachineBackAndKeepsThePause) {
    window->Send(kCmdBoot);
    SaveMachine(5, 1000);
    window->Send(kCmdPause);
    ASSERT_NE(wpaused.load(), 0);
    fake.counter = 77;
    const thread_id before = window->fCpuThread;
    EXPECT_EQ(Console(kCmdLoadStateBase + 5), "State loaded from slot 5: " + Path(5) + "\n");
    EXPECT_EQ(fake.counter.load(), 1000u);
    EXPECT_EQ(fake.restores.load(), 1);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
    EXPECT_NE(wpaused.load(), 0) << "still paused";
    EXPECT_NE(window->fCpuThread, before);
    const int paused = fake.renderedWhilePaused.load();
    EXPECT_TRUE(eventually([&] { return fake.renderedWhilePaused.load() > paused + 2; })) << "paused frames shown";
    EXPECT_EQ(fake.counter.load(), 1000u);
}

TEST_F(StateSlots, LoadingRestoresTheSpeedAndRemembersItInTheSettings) {
    window->Send(kCmdBoot);
    window->Send(kCmdSpeed30);
    SaveMachine(0, 5);
    window->Send(kCmdSpeedUnlimited);
    EXPECT_NE(fileText(settingsPath()).find("speed = unlimited"), std::string::npos);
    Console(kCmdLoadStateBase + 0);
    EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30));
    EXPECT_EQ(fake.speed(), Speed::Fps30);
    EXPECT_NE(fileText(settingsPath()).find("speed = 30"), std::string::npos);
}

TEST_F(StateSlots, EveryBadFileIsRefusedWithOneLineAndTheGameUntouched) {
    window->Send(kCmdBoot);
    SaveMachine(1, 1234);
    const std::vector<uint8_t> good = bytesOf(Path(1));
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string line;
    };
    const std::string refused = "Cannot load slot 1: ";
    auto spoiled = [&](std::function<void(std::vector<uint8_t>&)> spoil) {
        return [=] {
            std::vector<uint8_t> bytes = good;
            spoil(bytes);
            writeBytes(Path(1), bytes);
        };
    };
    // One case for each way the window's load fails: no file, a file over the
    // window's limit (a file that is not regular fails the same way, the
    // reader's tests hold it), one the image refuses (every refusal of the
    // image is the board's tests').
    const std::vector<Case> cases = {
        {"no file", [&] { fs::remove(Path(1)); },
         refused + "no state was saved there for this ROM set (" + Path(1) + ")."},
        {"damaged", spoiled([](auto& b) { b[4000] ^= 0xFF; }), refused + Path(1) + " is damaged: the CRC-32"},
        {"huge", spoiled([](auto& b) { b.resize(3 << 20); }), refused + Path(1) + " is too large (3145728 bytes)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        fake.counter = 99;
        const thread_id running = window->fCpuThread;
        const std::string out = Console(kCmdLoadStateBase + 1);
        EXPECT_EQ(out.rfind(c.line, 0), 0u) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(fake.restores.load(), 0);
        EXPECT_EQ(window->fCpuThread, running) << "the emulation thread was touched";
        fs::remove_all(Path(1));
    }
}

TEST_F(StateSlots, AStateOfAnotherRomSetIsRefusedAndNotMarked) {
    window->Send(kCmdBoot);
    SaveMachine(4, 8);
    fake.hash = 0x1111111111111111ull;  // another ROM set, with its own files
    window->Send(kCmdBoot);
    EXPECT_EQ(MarkedCount(), 0);
    EXPECT_EQ(Console(kCmdLoadStateBase + 4),
              "Cannot load slot 4: no state was saved there for this ROM set (" + Path(4) + ").\n");
    const std::string other = slotPath(0x0123456789ABCDEFull, 4);
    fs::copy_file(other, Path(4));  // the other set's state under this set's name
    EXPECT_EQ(Console(kCmdLoadStateBase + 4), "Cannot load slot 4: " + Path(4) +
                                                  " belongs to another ROM set (0123456789abcdef; the loaded one "
                                                  "is 1111111111111111).\n");
    EXPECT_EQ(fake.restores.load(), 0);
}

TEST_F(StateSlots, AFailedWriteSaysSoAndKeepsWhatTheSlotHeld) {
    window->Send(kCmdBoot);
    SaveMachine(6, 42);
    const std::vector<uint8_t> before = bytesOf(Path(6));
    // A file size limit cuts the next write short, as a full disk would.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    fake.counter = 43;
    const std::string out = Console(kCmdSaveStateBase + 6);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(out, "Cannot save slot 6: cannot write " + Path(6) + ": File too large; the slot keeps what it held.\n");
    EXPECT_EQ(bytesOf(Path(6)), before);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(stateDirectory())) names.push_back(entry.path().filename());
    EXPECT_EQ(names.size(), 1u) << "a temporary file was left";
    EXPECT_TRUE(Marked(6));
}

TEST_F(StateSlots, AfterFreeRomASaveLeavesTheGameStoppedAndALoadRunsIt) {
    window->Send(kCmdBoot);
    window->Send(kCmdFreeRom);
    const thread_id suspended = window->fCpuThread;
    fake.counter = 300;
    Console(kCmdSaveStateBase + 2);
    EXPECT_EQ(window->fCpuThread, suspended);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    fake.counter = 0;
    Console(kCmdLoadStateBase + 2);
    EXPECT_NE(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_TRUE(WaitForFrames(2));
    EXPECT_GT(fake.counter.load(), 300u) << "the game runs on from the state";
}

TEST_F(StateSlots, TheFrameRateCountersCarryOnAcrossALoad) {
    window->Send(kCmdBoot);
    ASSERT_TRUE(WaitForFrames(10));
    window->Send(kCmdFreeRom);  // stops the thread: its counters can be read
    const uint32_t before = cpuTotalFrames;
    ASSERT_GE(before, 10u);
    Console(kCmdSaveStateBase + 0);
    Console(kCmdLoadStateBase + 0);
    // Once a third frame has begun, two have been presented whole.
    ASSERT_TRUE(WaitForFrames(3));
    window->Send(kCmdFreeRom);
    EXPECT_GE(cpuTotalFrames, before + 2) << "the thread that replaced the stopped one counted afresh";
}

TEST_F(StateSlots, SavesAndLoadsNeverMeetARunningFrameEvenInTheMonitor) {
    window->Send(kCmdBoot);
    window->Send(kCmdSpeedUnlimited);
    for (int round = 0; round < 20; ++round) {
        if (round == 10) {
            fake.monitorWaits = true;  // the frames now wait in the monitor
            window->Send(kCmdDebug);
        }
        Console(kCmdSaveStateBase + round % 8);
        Console(kCmdLoadStateBase + (round + 3) % 8 / 2);
    }
    EXPECT_GT(fake.captures.load(), 0);
    EXPECT_GT(fake.restores.load(), 0);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
}

TEST_F(StateSlots, StartUpLoadBootsAndLoadsInOneStepOrSaysItCannot) {
    window->Send(kCmdBoot);
    SaveMachine(7, 4321);
    window->Send(kCmdFreeRom);
    fake.counter = 0;
    BMessage boot(kMsgBootWithState);
    boot.AddInt32("slot", 7);
    boot.AddInt32(kForThisRun, 1);
    window->PostMessage(&boot);
    window->Sync();
    // (That no frame of the booted game is shown before the load is proved
    // by the real program's test: its frames are counted from the state.)
    EXPECT_EQ(fake.restores.load(), 1);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
    EXPECT_GE(fake.counter.load(), 4321u) << "the game runs on from the state";
    EXPECT_NE(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_FALSE(window->StartupStateRefused());

    boot.MakeEmpty();
    boot.AddInt32("slot", 6);
    window->PostMessage(&boot);
    window->Sync();
    EXPECT_TRUE(window->StartupStateRefused());
}

TEST_F(StateSlots, SettingsAreWrittenWhenACommandChangesThemAndReadByTheNextWindow) {
    EXPECT_FALSE(fs::exists(settingsPath()));
    window->Send(kCmdBoot);
    window->Send(kCmdReset);
    EXPECT_FALSE(fs::exists(settingsPath())) << "no setting changed";
    window->Send(kCmdJoystick);
    window->Send(kCmdKeyBase[0] + 16);  // Start: Q
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
    EXPECT_EQ(controlType, 1);
    EXPECT_TRUE(fController[1]->IsMarked());
    EXPECT_STREQ(menus[1]->FindMarked()->Label(), "Q");
    EXPECT_EQ(keyboardConfig[0], 0x3C);
}
