// The window's state slots over the fake board: saves and loads between
// frames with no emulation thread running board code, the slot files and
// their marks, the pause kept, the speed restored, every refusal leaving the
// game untouched. (Which slot each menu item and hotkey saves or loads, and
// the lines they print, are the desktop test's; the start-up load is the
// real program's state tests'.)
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "file_text.h"
#include "save_state.h"
#include "shell_fixture.h"
#include "state_slots.h"

namespace fs = std::filesystem;

namespace {

class StateSlots : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        window->Send(kCmdBoot);
    }
    // Sends a command and returns what it printed.
    std::string Console(uint32_t code) {
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        window->Send(code);
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
    std::string Path(int slot) const { return slotPath(fake.hash, slot); }
    // Slots marked in the Load and the Save menu (both must agree).
    std::vector<int> Marked() const {
        std::vector<int> slots;
        for (int slot = 0; slot < kStateSlots; ++slot) {
            EXPECT_EQ(tmpMenu->ItemAt(slot)->IsMarked(), tmpMenu2->ItemAt(slot)->IsMarked());
            if (tmpMenu->ItemAt(slot)->IsMarked()) slots.push_back(slot);
        }
        return slots;
    }
    // Saves `value` as the machine's state in `slot` and returns the line.
    std::string SaveMachine(int slot, uint32_t value) {
        // Paused, and once a paused frame has begun no other frame is under
        // way: the machine stands still while it is set.
        const int paused = fake.renderedWhilePaused.load();
        window->Send(kCmdPause);
        EXPECT_TRUE(eventually([&] { return fake.renderedWhilePaused.load() > paused; }));
        fake.counter = value;
        const std::string line = Console(kCmdSaveStateBase + slot);
        window->Send(kCmdPause);
        return line;
    }
};

}  // namespace

TEST_F(ShellTest, BeforeABootEverySlotCommandIsRefused) {
    testing::internal::CaptureStdout();
    window->Send(kCmdSaveStateBase + 2);
    window->Send(kCmdLoadStateBase + 7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Cannot save slot 2: no game is booted.\nCannot load slot 7: no game is booted.\n");
    EXPECT_EQ(fake.captures.load() + fake.restores.load(), 0);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    EXPECT_FALSE(fs::exists(stateDirectory()));
}

TEST_F(StateSlots, ASaveAndALoadBringTheMachineAndItsSpeedBackAndKeepThePause) {
    EXPECT_EQ(Marked(), std::vector<int>{});
    window->Send(kCmdSpeed30);
    ASSERT_TRUE(WaitForFrames(3));
    const thread_id before = window->fCpuThread;
    EXPECT_EQ(SaveMachine(5, 1000), "State saved in slot 5: " + Path(5) + "\n");
    EXPECT_NE(window->fCpuThread, before) << "the emulation thread was stopped around the save";
    EXPECT_EQ(fake.captures.load(), 1);
    EXPECT_EQ(Marked(), std::vector<int>{5});
    const std::string file = fileText(Path(5));
    BoardState state;
    std::string error;
    ASSERT_TRUE(decodeState(reinterpret_cast<const uint8_t*>(file.data()), file.size(), fake.hash, state, error))
        << error;
    EXPECT_TRUE(WaitForFrames(3)) << "the game runs on";

    window->Send(kCmdSpeedUnlimited);
    window->Send(kCmdPause);
    fake.counter = 77;
    EXPECT_EQ(Console(kCmdLoadStateBase + 5), "State loaded from slot 5: " + Path(5) + "\n");
    EXPECT_EQ(fake.restores.load(), 1);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
    EXPECT_EQ(fake.speed(), Speed::Fps30);
    EXPECT_EQ(newSnoozeTime.load(), framePeriod(Speed::Fps30));
    EXPECT_NE(fileText(settingsPath()).find("speed = 30"), std::string::npos) << "the restored speed is kept";
    EXPECT_NE(wpaused.load(), 0) << "still paused";
    const int paused = fake.renderedWhilePaused.load();
    EXPECT_TRUE(eventually([&] { return fake.renderedWhilePaused.load() > paused + 2; })) << "paused frames shown";
    EXPECT_EQ(fake.counter.load(), 1000u);
}

// One case for each way the window's load fails: no file, a file over the
// window's limit (a file that is not regular fails the same way, the
// reader's tests hold it), one the image refuses (every refusal of the
// image is the board's tests'), a state of another ROM set.
TEST_F(StateSlots, EveryBadFileIsRefusedWithOneLineAndTheGameUntouched) {
    SaveMachine(1, 1234);
    const std::string good = fileText(Path(1));
    const std::string refused = "Cannot load slot 1: ", other = slotPath(0x1111111111111111ull, 1);
    std::string damaged = good, huge = good;
    damaged[4000] ^= 0x7F;
    huge.resize(3 << 20);
    const struct {
        const char* name;
        const std::string* bytes;  // nullptr: no file
        std::string line;
    } cases[] = {
        {"no file", nullptr, refused + "no state was saved there for this ROM set (" + Path(1) + ")."},
        {"damaged", &damaged, refused + Path(1) + " is damaged: the CRC-32"},
        {"huge", &huge, refused + Path(1) + " is too large (3145728 bytes)."},
        {"another set's", &good, refused + other + " belongs to another ROM set (0123456789abcdef; the loaded one "
                                                 "is 1111111111111111).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bytes == &good) {
            fake.hash = 0x1111111111111111ull;  // another ROM set, with its own files
            window->Send(kCmdBoot);
            EXPECT_EQ(Marked(), std::vector<int>{});
        }
        fs::remove(Path(1));
        if (c.bytes) std::ofstream(Path(1), std::ios::binary) << *c.bytes;
        fake.counter = 99;
        const thread_id running = window->fCpuThread;
        const std::string out = Console(kCmdLoadStateBase + 1);
        EXPECT_EQ(out.rfind(c.line, 0), 0u) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
        EXPECT_EQ(fake.restores.load(), 0);
        EXPECT_EQ(window->fCpuThread, running) << "the emulation thread was touched";
    }
}

TEST_F(StateSlots, AFailedWriteSaysSoAndKeepsWhatTheSlotHeld) {
    SaveMachine(6, 42);
    const std::string before = fileText(Path(6));
    // A file size limit cuts the next write short, as a full disk would.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string out = SaveMachine(6, 43);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(out, "Cannot save slot 6: cannot write " + Path(6) + ": File too large; the slot keeps what it held.\n");
    EXPECT_EQ(fileText(Path(6)), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(stateDirectory()), {}), 1) << "a temporary file was left";
    EXPECT_EQ(Marked(), std::vector<int>{6});
}

// After Free ROM a save leaves the game stopped, a load runs it, and the
// frame counters of the stopped thread carry on.
TEST_F(StateSlots, AfterFreeRomASaveLeavesTheGameStoppedAndALoadRunsIt) {
    ASSERT_TRUE(WaitForFrames(10));
    window->Send(kCmdFreeRom);  // stops the thread: its counters can be read
    const uint32_t frames = cpuTotalFrames;
    ASSERT_GE(frames, 10u);
    fake.counter = 300;
    Console(kCmdSaveStateBase + 2);
    EXPECT_EQ(EmulationState(), B_THREAD_SUSPENDED);
    fake.counter = 0;
    Console(kCmdLoadStateBase + 2);
    // Once a third frame has begun, two have been presented whole.
    ASSERT_TRUE(WaitForFrames(3));
    EXPECT_GT(fake.counter.load(), 300u) << "the game runs on from the state";
    window->Send(kCmdFreeRom);
    EXPECT_GE(cpuTotalFrames, frames + 2) << "the thread that replaced the stopped one counted afresh";
}

TEST_F(StateSlots, SavesAndLoadsNeverMeetARunningFrameEvenInTheMonitor) {
    window->Send(kCmdSpeedUnlimited);
    for (int round = 0; round < 20; ++round) {
        if (round == 10) {
            fake.monitorWaits = true;  // the frames now wait in the monitor
            window->Send(kCmdDebug);
        }
        Console(kCmdSaveStateBase + round % 8);
        Console(kCmdLoadStateBase + (round + 3) % 8 / 2);
    }
    EXPECT_GT(fake.restores.load(), 0);
    EXPECT_EQ(fake.touchedDuringFrame.load(), 0);
}
