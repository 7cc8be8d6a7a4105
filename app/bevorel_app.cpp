#include "bevorel_app.h"

#include "gamepad_keys.h"
#include "menus.h"

BeVorelApp::BeVorelApp(Machine& machine, LaunchOptions options)
    : BApplication(kSignature), fMachine(machine), fOptions(std::move(options)) {}

BeVorelApp::~BeVorelApp() = default;

void BeVorelApp::ReadyToRun() {
    fMainWindow = new BeVorelWindow(fMachine, fRomSet);
    fMainWindow->SetPixelScale(fOptions.scaleGiven ? fOptions.scale : fMainWindow->SavedScale());
    fMainWindow->SetFullScreen(fOptions.fullScreen || fMainWindow->SavedFullScreen());
    fMainWindow->limitFrames(fOptions.frames);
    fMainWindow->Show();
    fMainWindow->UseWorkbench(fWorkbench, fOptions.workbench);
    // The start-up options act as their menu commands do, in this order, for
    // this run only: they change nothing in the settings file.
    if (fOptions.speedGiven) {
        BMessage speed(fOptions.speed == Speed::Fps30       ? kCmdSpeed30
                       : fOptions.speed == Speed::Unlimited ? kCmdSpeedUnlimited
                                                            : kCmdSpeed60);
        speed.AddInt32(kForThisRun, 1);
        fMainWindow->PostMessage(&speed);
    }
    if (!fOptions.recordMovie.empty() || !fOptions.playMovie.empty()) {
        // The boot (and state) and the movie in one command: no frame runs between them.
        BMessage movie(kMsgStartMovie);
        if (!fOptions.playMovie.empty()) movie.AddString("play", fOptions.playMovie.c_str());
        else movie.AddString("record", fOptions.recordMovie.c_str());
        if (fOptions.loadState >= 0) movie.AddInt32("slot", fOptions.loadState);
        movie.AddInt32(kForThisRun, 1);
        fMainWindow->PostMessage(&movie);
    } else if (fOptions.boot && fOptions.loadState >= 0) {
        BMessage boot(kMsgBootWithState);
        boot.AddInt32("slot", fOptions.loadState);
        boot.AddInt32(kForThisRun, 1);
        fMainWindow->PostMessage(&boot);
    } else if (fOptions.boot) {
        fMainWindow->PostMessage(kCmdBoot);
    }
    // Without a ROM set the boot is refused and no frame is ever shown, so a
    // frame limit would never be reached: the program quits after the refusal.
    if (fOptions.boot && fOptions.frames && !fMachine.ready()) fMainWindow->PostMessage(B_QUIT_REQUESTED);
}

void BeVorelApp::MessageReceived(BMessage* message) {
    // The window tells of game controllers (it knows whether they play).
    if (message->what == B_GAMEPAD_CONNECTED || message->what == B_GAMEPAD_DISCONNECTED) {
        if (fMainWindow) fMainWindow->PostMessage(message);
        return;
    }
    if (message->what != kCmdFreeRom) {  // 0x8001 here: a file reference to boot
        BApplication::MessageReceived(message);
        return;
    }
    // The window boots the game on its own thread, under its own lock; a
    // message without a usable reference is ignored.
    entry_ref ref;
    BEntry entry;
    BPath path;
    if (!fMainWindow || message->FindRef("refs", &ref) != B_OK || entry.SetTo(&ref, false) != B_OK ||
        entry.GetPath(&path) != B_OK || !path.Path())
        return;
    BMessage request(kMsgLoadRom);
    request.AddString("path", path.Path());
    fMainWindow->PostMessage(&request);
}
