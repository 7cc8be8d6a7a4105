// The real main window on the demo ROM set, with the real board: every
// command that replaces or stops the emulation thread (boot, Reset, Free
// ROM, Quit) ends the one that ran, so that no thread is left running the
// board behind the window's back. (What each command does is the shell's
// tests'.)
#include "machine.h"
#include "hostile_support.h"
#include "isolated_home.h"
#include "window_harness.h"

using namespace hostile;

namespace {

bool ended(thread_id thread) {
    thread_info info;
    return get_thread_info(thread, &info) == B_BAD_THREAD_ID;
}

TEST(WindowThreads, EachCommandThatReplacesTheEmulationEndsTheOneThatRan) {
    test_home::isolatedHome().clear();
    ASSERT_TRUE(copyPath(execPath, BEVOREL_PROGRAM));
    resetShellGlobals();
    SyncWindow* window = new SyncWindow(boardMachine());
    window->Show();
    ASSERT_TRUE(boardMachine().ready()) << "the demo ROM set beside " << BEVOREL_PROGRAM << " did not load";
    Watchdog watchdog(120, "the window's commands");
    window->PostMessage(kCmdBoot);
    for (const uint32_t command : {kCmdBoot, kCmdReset, kCmdFreeRom, uint32_t(B_QUIT_REQUESTED)}) {
        SCOPED_TRACE(command);
        window->Sync();
        const thread_id running = window->emulationThread();
        ASSERT_FALSE(ended(running)) << "no emulation thread";
        window->PostMessage(command);
        if (command == B_QUIT_REQUESTED) wait_for_thread(window->Thread(), nullptr);
        else window->Sync();
        EXPECT_TRUE(ended(running)) << "the emulation thread outlived the command";
    }
    delete window;
    releaseSurface();
}

}  // namespace
