#include "bevorel_window.h"

#include <cstdio>
#include <cstring>

#include "hotkeys.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "run_control.h"
#include "state_slots.h"

const char* kWindowName = "BePellmora v0.80";
BRect kWindowFrame(100, 100, 355, 341);  // 256 x 242: the menu bar over the 256 x 224 picture
BFilePanel* Load = nullptr;

namespace {

constexpr uint32 kWindowFlags = 0x20000040;  // resizable, not zoomable
constexpr const char* kNotBootable =
    "No ROM set is loaded (see the start-up messages above): the game cannot be booted.\n";

}  // namespace

BeVorelWindow::BeVorelWindow(Machine& machine, const RomSetChoice& romSet)
    : BWindow(kWindowFrame, kWindowName, B_TITLED_WINDOW, kWindowFlags, B_CURRENT_WORKSPACE), fEmulation(machine) {
    menuBar = new BMenuBar(BRect(0, 0, 256, 20), "main", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
                           B_ITEMS_IN_ROW, true);
    cutToDirectory(execPath);

    Load = new BFilePanel(B_OPEN_PANEL, nullptr, nullptr, 0, true, nullptr, nullptr, false, true);
    BMessage loadMessage(kCmdFreeRom);  // 0x8001: what the application expects from the panel
    Load->SetMessage(&loadMessage);

    Lock();
    buildMenus();
    AddChild(menuBar);
    Unlock();
    addHotkeys();

    // The monitor checks for a kill while it waits for a line or runs long
    // loops, so a Reset or Quit can stop an emulation thread that is in it;
    // and switching Debug off releases it, so the game runs on.
    machine.setMonitorChecks(check_thread_killed, debugSwitchedOff);
    // Whatever a debugger changes outside the frames' run (the monitor's
    // steps, a register or memory write) restarts the rewind history.
    debugger_target_changed = forgetPast;

    Lock();
    createPresentationSurface(this);
    spawnEmulation(false);  // waits for the boot
    Unlock();

    machine.startUp(execPath, romSet.source());
    loadKeyboardConfiguration(0);
    mView->SetPictureScaling(fSettings.integerScaling ? B_PICTURE_INTEGER : B_PICTURE_ASPECT);
    bindGamepad();
    if (!machine.ready())
        (new BAlert("BePellmora", missingRomSetText(romSet.place, machine.startUpFailure()).c_str(), "Ok", nullptr,
                    nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT))
            ->Go(nullptr);
}

BeVorelWindow::~BeVorelWindow() {
    kill_thread(fNoticeTimer);
    debugger_target_changed = nullptr;
}

void BeVorelWindow::loadRom(const char* path) {
    if (!path || strnlen(path, kPathSize) >= kPathSize) {
        std::printf("Cannot boot: the game's path is %zu characters or more.\n", kPathSize);
        return;
    }
    if (!fEmulation.machine.ready()) {
        std::fputs(kNotBootable, stdout);
        std::fflush(stdout);
        notify("No ROM set loaded");
        return;
    }
    copyPath(romPath, path);
    Reset();
    updateEnabledMenus();
    fRomSetHash = fEmulation.machine.romSetHash();  // names the state slots' files
    markStateSlots();
}

void BeVorelWindow::Reset() {
    if (!gameBooted()) {
        // No emulation thread runs before a boot. After a failed start-up the
        // board's reset is still safe: it reports that the CPU cannot reset.
        fEmulation.machine.reset();
        return;
    }
    kill_thread(fCpuThread);
    stopMovie();
    fEmulation.machine.reset();
    fEmulation.history.clear();  // a new history begins at the reset
    startupClear();
    fEmulation.freshFrameCounts.store(true, std::memory_order_relaxed);
    spawnEmulation(true);
}

void BeVorelWindow::freeRom() {
    if (!gameBooted()) return;
    kill_thread(fCpuThread);
    pictureAreaClear();
    spawnEmulation(false);
}

void BeVorelWindow::MessageReceived(BMessage* message) {
    const SettingsKeeper keeper(*this, *message);
    struct TitleKeeper {
        BeVorelWindow& window;
        ~TitleKeeper() { window.updateTitle(); }
    } title{*this};
    // Every command's row in the command table (commands.h) says what it does.
    const Command* command = findCommand(message->what);
    if (command && command->handler)
        command->handler(*this, *message);
    else
        BWindow::MessageReceived(message);
}

void BeVorelWindow::chooseSpeed(Speed speed) {
    fMeasuredFps = -1;
    fEmulation.applySpeed(speed);
}

bool BeVorelWindow::QuitRequested() {
    closeWorkbenchForQuit();
    kill_thread(fCpuThread);
    stopMovie();
    kill_thread(fNoticeTimer);
    cpuTimeEnd = system_time();
    std::fputs(fpsReport(cpuTimeEnd - cpuTimeStart, cpuTotalFrames).c_str(), stdout);
    std::fflush(stdout);
    if (be_app) be_app->PostMessage(B_QUIT_REQUESTED);
    return BWindow::QuitRequested();
}

void BeVorelWindow::showAbout() {
    const std::string text = std::string(
                                 "BePellmora v0.80 (22.05.2000)\n"
                                 "Main programming by the BeVorel developers (bevorel@users.invalid)\n"
                                 "68000 emulation library by the BeVorel developers (bevorel@users.invalid)\n"
                                 "\n"
                                 "\t68000\t8.0 Mhz\n"
                                 "\tZ80 3.6 Mhz\n"
                                 "\n") +
                             keyHelpText("");
    BAlert* about = new BAlert("About BeVorel", text.c_str(), "Ok", nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
    about->Go();
}

