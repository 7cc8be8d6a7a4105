// The window's front end: its hotkeys, game controllers, screenshots, ROM
// sets dropped on the window, and the title bar that shows what the game is
// doing. The commands' rows (commands.cpp) call these.
#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "bevorel_window.h"
#include "emulation.h"
#include "hotkeys.h"
#include "key_codes.h"
#include "menus.h"
#include "paths.h"
#include "presentation.h"
#include "rom_set_content.h"
#include "rom_set_location.h"
#include "screenshot_files.h"
#include "window_title.h"
#include "xdg_dirs.h"

void BeVorelWindow::addHotkeys() {
    for (const Hotkey& key : hotkeys())
        AddShortcut(key.key, key.modifiers, new BMessage(key.pressed), key.released ? new BMessage(key.released) : nullptr);
}

// A controller's controls hold the board's keys: the joystick and the three buttons.
void BeVorelWindow::bindGamepad() {
    set_gamepad_binding(B_GAMEPAD_UP, kKeyUp);
    set_gamepad_binding(B_GAMEPAD_DOWN, kKeyDown);
    set_gamepad_binding(B_GAMEPAD_LEFT, kKeyLeft);
    set_gamepad_binding(B_GAMEPAD_RIGHT, kKeyRight);
    set_gamepad_binding(B_GAMEPAD_A, kKeyLeftAlt);
    set_gamepad_binding(B_GAMEPAD_B, kKeySpace);
    set_gamepad_binding(B_GAMEPAD_X, kKeyLeftShift);
}

void BeVorelWindow::updateTitle() {
    TitleStatus status;
    status.running = gameBooted() && emulationRunning();
    status.paused = wpaused.load(std::memory_order_relaxed) != 0;
    status.debug = debugOn.load(std::memory_order_relaxed) != 0;
    status.speed = currentSpeed();
    status.turbo = fEmulation.turbo.load(std::memory_order_relaxed);
    status.measuredFps = fMeasuredFps;
    const auto movie = fEmulation.movieMode.load(std::memory_order_relaxed);
    status.movie = movie == EmulationControl::MovieMode::Playing     ? "Playing"
                   : movie == EmulationControl::MovieMode::Recording ? "Recording"
                                                                     : "";
    status.notice = currentNotice();
    const std::string title = statusTitle(status);
    if (title != Title()) SetTitle(title.c_str());
}

void BeVorelWindow::takeScreenshot() {
    DrawnPicture picture;
    if (mView) mView->CopyDrawnPicture(picture);
    const std::string directory = xdgPicturesDir();
    if (directory.empty()) {
        refuse("No screenshot: there is no home directory (HOME) or XDG_PICTURES_DIR to keep it in.", "No screenshot");
        return;
    }
    std::string path, error;
    if (!saveScreenshot(picture, directory, std::time(nullptr), path, error)) {
        refuse("No screenshot: " + error + ".", "No screenshot");
        return;
    }
    std::printf("Screenshot saved: %s\n", path.c_str());
    std::fflush(stdout);
    notify("Screenshot saved");
}

void BeVorelWindow::gamepadPlugged(const BMessage& message) {
    const char* name = nullptr;
    if (message.FindString("name", &name) != B_OK) return;
    if (message.what == B_GAMEPAD_DISCONNECTED)
        std::printf("Game controller disconnected: %s\n", name);
    else if (controlType == 1)
        std::printf("Game controller connected: %s\n", name);
    else
        std::printf("Game controller connected: %s (Controller > Joystick lets it play)\n", name);
    std::fflush(stdout);
}

void BeVorelWindow::romSetDropped(const BMessage& message) {
    entry_ref ref;
    if (message.FindRef("refs", &ref) != B_OK) return;
    const std::string& path = ref.path();
    // The whole set is read now, so that a refusal says what is wrong before
    // anything stops.
    RomSetFiles set;
    std::string error;
    if (!load_rom_set(path, set, error)) {
        refuse("No ROM set to start with: " + error + ".");
        return;
    }
    const std::string text = "The board loads its ROM set once, when the program starts, so the set in " + path +
                             " can only be played from a new start.\n\nStart BePellmora again with it now? The "
                             "game running now ends.";
    if ((new BAlert("BePellmora", text.c_str(), "Cancel", "Start again", nullptr, B_WIDTH_AS_USUAL, B_IDEA_ALERT))
            ->Go() != 1)
        return;
    fRestartRomSet = path;
    std::printf("Starting again with the ROM set in %s\n", path.c_str());
    std::fflush(stdout);
    PostMessage(B_QUIT_REQUESTED);
}
