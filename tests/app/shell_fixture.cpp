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
    test_home::isolatedHome().clear();
    std::strcpy(execPath, "/opt/games/bevorel/bin/bevorel");
    resetShellGlobals();
}

void ShellTest::SetUp() {
    resetShellState();
    OpenWindow();
}

void ShellTest::TearDown() {
    fake.monitorWaits = false;
    CloseWindow();
}

void ShellTest::OpenWindow() {
    window = new TestWindow(fake);
    window->Show();
    quit = false;
}

void ShellTest::CloseWindow() {
    if (!quit) QuitAndCaptureOutput();
    delete window;
    window = nullptr;
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
    const int start = fake.renders.load();
    return eventually([&] { return fake.renders.load() >= start + static_cast<int>(frames); });
}
