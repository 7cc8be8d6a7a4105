#include "shell_fixture.h"

#include <cstdio>
#include <cstring>

void TestWindow::MessageReceived(BMessage* message) {
    if (message->what == kHold) {
        snooze(holdMs.load() * 1000);
        return;
    }
    SyncWindow::MessageReceived(message);
}

void TestWindow::Send(uint32 code) {
    PostMessage(code);
    Sync();
}

void resetShellState() {
    fake::reset();
    test_home::isolatedHome().clear();
    std::strcpy(execPath, "/opt/games/bevorel/bin/bevorel");
    resetShellGlobals();
}

void ProgramTest::SetUp() {
    resetShellState();
    launchOptions = LaunchOptions();
}

void ProgramTest::TearDown() {
    launchOptions = LaunchOptions();
    releaseSurface();
}

void ShellTest::SetUp() {
    resetShellState();
    window = new TestWindow();
    window->Show();
}

void ShellTest::TearDown() {
    fake::monitorWaits = false;
    if (!quit) QuitAndCaptureOutput();
    delete window;
    releaseSurface();
}

std::string ShellTest::QuitAndCaptureOutput() {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    window->PostMessage(B_QUIT_REQUESTED);
    eventually([&] { return window->IsQuitting(); });
    wait_for_thread(window->Thread(), nullptr);
    std::fflush(stdout);
    quit = true;
    return testing::internal::GetCapturedStdout();
}

thread_state ShellTest::EmulationState() const {
    thread_info info;
    if (get_thread_info(window->fCpuThread, &info) != B_OK) return static_cast<thread_state>(0);
    return info.state;
}

bool ShellTest::WaitForFrames(uint32_t frames) {
    const int start = fake::renders.load();
    return eventually([&] { return fake::renders.load() >= start + static_cast<int>(frames); });
}
