#include "commands.h"

#include <string>
#include <unordered_map>

#include "bevorel_window.h"
#include "emulation.h"
#include "hotkeys.h"
#include "key_codes.h"
#include "menus.h"
#include "paths.h"
#include "state_slots.h"
#include "window_title.h"

namespace {

using Window = BeVorelWindow;
using Message = const BMessage&;

// A script's state command names a file in place of the slot's ("" if not).
std::string stateFile(Message m) {
    const char* path = nullptr;
    return m.FindString("path", &path) == B_OK && path ? path : "";
}

}  // namespace

// The rows, made once; a friend of the window, for the handlers.
struct CommandRows {
    static std::vector<Command> build();
};

std::vector<Command> CommandRows::build() {
    std::vector<Command> rows = {
        // Keys alone: the front end's own commands. (Entries of one line of
        // the key list keep the order of their rows.)
        {"", kMsgToggleFullScreen, {{kKeyF11}, {kKeyEnter, B_COMMAND_KEY}, {kKeyKeypadEnter, B_COMMAND_KEY, false}}, 0,
         [](Window& w, Message) { w.SetFullScreen(!w.IsFullScreen()); }, nullptr, nullptr, "full screen", 4},
        {"", kMsgLeaveFullScreen, {{kKeyEscape}}, 0, [](Window& w, Message) { w.SetFullScreen(false); }, nullptr,
         nullptr, "leave it", 4},
        {"", kMsgScreenshot, {{kKeyF12}}, 0, [](Window& w, Message) { w.takeScreenshot(); }, nullptr, nullptr,
         "screenshot", 5},
        {"", kMsgTurboOn, {{kKeyTab}}, kMsgTurboOff,
         [](Window& w, Message m) {
             w.fEmulation.turbo.store(m.what == kMsgTurboOn, std::memory_order_relaxed);
             w.fMeasuredFps = -1;
         },
         nullptr, nullptr, "unlimited speed", 2},
        {"", kMsgRewindOn, {{kKeyBackspace}}, kMsgRewindOff,
         [](Window& w, Message m) {
             w.fEmulation.rewinding.store(m.what == kMsgRewindOn && gameBooted(), std::memory_order_relaxed);
         },
         nullptr, nullptr, "rewind", 3},
        {"", kMsgFrameAdvance, {{kKeyBackslash}}, 0,
         [](Window& w, Message) {
             if (gameBooted() && wpaused.load(std::memory_order_relaxed))
                 w.fEmulation.framesToAdvance.fetch_add(1, std::memory_order_relaxed);
         },
         nullptr, nullptr, "one frame, while paused", 3},

        // Messages from the application, the emulation thread and the platform.
        {"", kMsgLoadRom, {}, 0, [](Window& w, Message m) {
             const char* path = nullptr;
             if (m.FindString("path", &path) == B_OK) w.loadRom(path);
         }},
        {"", kMsgBootWithState, {}, 0, [](Window& w, Message m) { w.bootWithState(m); }},
        {"", kMsgStartMovie, {}, 0, [](Window& w, Message m) { w.startMovie(m); }},
        {"", kMsgMovieEnded, {}, 0, [](Window& w, Message) { w.fMoviePath.clear(); }},
        {"", kMsgFrameRate, {}, 0, [](Window& w, Message m) { m.FindInt32("fps", &w.fMeasuredFps); }},
        {"", kMsgNoticeOver, {}, 0, [](Window&, Message) {}},  // the title is brought up to date after every message
        {"", B_SIMPLE_DATA, {}, 0, [](Window& w, Message m) { w.romSetDropped(m); }},
        {"", B_GAMEPAD_CONNECTED, {}, 0, [](Window& w, Message m) { w.gamepadPlugged(m); }},
        {"", B_GAMEPAD_DISCONNECTED, {}, 0, [](Window& w, Message m) { w.gamepadPlugged(m); }},

        // The menus, in their order.
        {"File>Boot", kCmdBoot, {}, 0, [](Window& w, Message) { w.loadRom("po"); }},
        {"File>Play ADPCM sample", kCmdPlaySample},
        {"File>Load state", 0, {}, 0, nullptr, gameBooted},
    };
    for (uint32_t slot = 0; slot < kStateSlots; ++slot) {
        std::vector<KeyChord> keys;
        if (kKeyF1 + slot != kKeyF3) keys.push_back({static_cast<uint8_t>(kKeyF1 + slot)});  // F3 resets
        rows.push_back({"File>Load state>" + std::to_string(slot), kCmdLoadStateBase + slot, keys, 0,
                        [](Window& w, Message m) { w.restoreSlot(static_cast<int>(m.what - kCmdLoadStateBase), stateFile(m)); },
                        nullptr, nullptr, "load slot " + std::to_string(slot), 6});
    }
    rows.push_back({"File>Save state", 0, {}, 0, nullptr, gameBooted});
    for (uint32_t slot = 0; slot < kStateSlots; ++slot) {
        rows.push_back({"File>Save state>" + std::to_string(slot), kCmdSaveStateBase + slot,
                        {{static_cast<uint8_t>(kKeyF1 + slot), B_SHIFT_KEY}}, 0,
                        [](Window& w, Message m) { w.storeSlot(static_cast<int>(m.what - kCmdSaveStateBase), stateFile(m)); },
                        nullptr, nullptr, "save slot " + std::to_string(slot), 7});
    }
    const std::vector<Command> more = {
        {"File>free ROM", kCmdFreeRom, {}, 0, [](Window& w, Message) { w.freeRom(); }},
        {"File>Rom info", kCmdRomInfo, {}, 0, [](Window&, Message) {}, gameBooted},
        {"File>Movie>Record", kCmdRecordFromPowerOn, {}, 0, [](Window& w, Message) { w.recordFromMenu(false); }},
        {"File>Movie>Record here", kCmdRecordFromHere, {}, 0, [](Window& w, Message) { w.recordFromMenu(true); }},
        {"File>Movie>Play", kCmdPlayMovie, {}, 0, [](Window& w, Message) { w.playMovie(w.menuMoviePath()); }},
        {"File>Movie>Stop", kCmdStopMovie, {}, 0, [](Window& w, Message) { w.stopMenuMovie(); }},
        {"File>-"},
        {"File>Quit        Alt-Q", B_QUIT_REQUESTED},

        {"Emulation>Service mode", kCmdServiceMode, {}, 0,
         [](Window& w, Message) {
             // The running frames read the switch (the history's snapshots
             // hold it): their thread stops before it changes.
             if (gameBooted()) kill_thread(w.fCpuThread);
             w.fEmulation.machine.setServiceMode(!w.fEmulation.machine.serviceMode());
             w.Reset();
         }},
        {"Emulation>Pause", kCmdPause, {{kKeyP}, {kKeyPause}}, 0,
         [](Window&, Message m) {
             int32 on = 0;  // a script's pause or resume says which
             if (gameBooted())
                 wpaused.store(m.FindInt32("on", &on) == B_OK ? (on ? 0xFF : 0)
                                                              : static_cast<uint8_t>(~wpaused.load(std::memory_order_relaxed)),
                               std::memory_order_relaxed);
         },
         nullptr, nullptr, "pause", 1},
        {"Emulation>Reset", kCmdReset, {{kKeyF3}}, 0,
         [](Window& w, Message) {
             if (gameBooted()) w.Reset();
         },
         nullptr, nullptr, "reset", 1},
        {"Emulation>-"},
        {"Emulation>Debug", kCmdDebug, {}, 0,
         [](Window&, Message) {
             debugOn.store(static_cast<uint8_t>(~debugOn.load(std::memory_order_relaxed)), std::memory_order_relaxed);
         }},
        {"Emulation>Workbench", kCmdWorkbench, {{static_cast<uint8_t>(kKeyF10)}}, 0,
         [](Window& w, Message) { w.toggleWorkbench(); }, nullptr, nullptr, "workbench", 5},
        {"Emulation>-"},
        {"Emulation>Speed>30 fps", kCmdSpeed30, {}, 0, [](Window& w, Message) { w.chooseSpeed(Speed::Fps30); }},
        {"Emulation>Speed>60 fps", kCmdSpeed60, {}, 0, [](Window& w, Message) { w.chooseSpeed(Speed::Fps60); }},
        {"Emulation>Speed>Unlimited fps", kCmdSpeedUnlimited, {}, 0,
         [](Window& w, Message) { w.chooseSpeed(Speed::Unlimited); }},

        {"Controller>Keyboard", kCmdKeyboard, {}, 0, [](Window&, Message) { chooseController(0); }, nullptr,
         [](uint32_t) { return controlType == 0; }},
        {"Controller>Joystick", kCmdJoystick, {}, 0, [](Window&, Message) { chooseController(1); }, nullptr,
         [](uint32_t) { return controlType == 1; }},
    };
    rows.insert(rows.end(), more.begin(), more.end());
    const char* const functions[4] = {"Start", "Select", "Button A", "Button B"};
    for (int k = 0; k < 4; ++k) {
        for (int p = 0; p < kKeyCount; ++p)
            rows.push_back({std::string("Controller>Keyboard configuration>") + functions[k] + ">" + keyLabels[p],
                            kCmdKeyBase[k] + p, {}, 0, [](Window&, Message m) { chooseKey(m.what); }, nullptr,
                            [](uint32_t code) {
                                int function = 0, position = 0;
                                return keyChoiceOf(code, &function, &position) &&
                                       keyboardConfig[function] == keyCodesArray[position];
                            }});
    }
    rows.push_back({"About...>...BePellmora", kCmdAbout, {}, 0, [](Window& w, Message) { w.showAbout(); }});
    return rows;
}

const std::vector<Command>& commands() {
    static const std::vector<Command> rows = CommandRows::build();
    return rows;
}

const Command* findCommand(uint32_t code) {
    static const std::unordered_map<uint32_t, const Command*> byCode = [] {
        std::unordered_map<uint32_t, const Command*> made;
        for (const Command& row : commands()) {
            if (row.code) made.emplace(row.code, &row);
            if (row.released) made.emplace(row.released, &row);
        }
        return made;
    }();
    const auto found = byCode.find(code);
    return found == byCode.end() ? nullptr : found->second;
}
