// The application: opens the main window and boots games from file references.
#pragma once

#include "bevorel_window.h"
#include "kit.h"
#include "launch_options.h"
#include "rom_set_link.h"

constexpr const char* kSignature = "application/x-wnd.BeVorel";

class BeVorelApp : public BApplication {
public:
    // The application over `machine`, started with `options`.
    explicit BeVorelApp(Machine& machine, LaunchOptions options = LaunchOptions());
    ~BeVorelApp() override;
    void MessageReceived(BMessage* message) override;
    void ReadyToRun() override;

    // The ROM set the window starts the board on (by default Roms/ under
    // execPath).
    void UseRomSet(RomSetChoice romSet) { fRomSet = std::move(romSet); }
    // The workbench's controller, hooked to the machine (none: no workbench).
    void UseWorkbench(workbench::Controller* controller) { fWorkbench = controller; }

    BeVorelWindow* fMainWindow = nullptr;

private:
    Machine& fMachine;
    const LaunchOptions fOptions;
    RomSetChoice fRomSet;
    workbench::Controller* fWorkbench = nullptr;
};
