// The main window: menus, commands, the emulation thread and the picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "commands.h"
#include "emulation.h"
#include "kit.h"
#include "rom_set_link.h"
#include "settings.h"

namespace workbench {
class Controller;
}
class WorkbenchWindow;

extern const char* kWindowName;
extern BRect kWindowFrame;
extern BFilePanel* Load;

// Posted to the window by the application to boot a game chosen through a
// file reference; carries the path under "path".
constexpr uint32_t kMsgLoadRom = 0x6C726F6D;  // 'lrom'
// Posted by the application for --boot --load-state N: boots, then loads
// state "slot" before the emulation presents a frame.
constexpr uint32_t kMsgBootWithState = 0x6273746C;  // 'bstl'
// Posted by the application for --record and --play: boots (and loads state
// "slot" when there is one, as kMsgBootWithState does), then records to the
// file "record" (from that state, else from power-on) or plays the file "play".
constexpr uint32_t kMsgStartMovie = 0x6D6F7669;  // 'movi'
// A command message with a field of this name acts for this run only: a
// setting it changes is not written to the settings file.
constexpr const char* kForThisRun = "for this run";

class BeVorelWindow : public BWindow {
public:
    // The window over `machine`, which it starts on the ROM set of `romSet`.
    explicit BeVorelWindow(Machine& machine, const RomSetChoice& romSet = RomSetChoice());
    ~BeVorelWindow() override;

    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;

    // The emulation thread's entry; `window` is the window to lock around drawing.
    static int32 cpuThread(void* window);
    // Resets the board and, once a game is booted, replaces the emulation
    // thread by a fresh running one.
    void Reset();
    // Marks the game at `path` as booted and resets; the ROM set itself was
    // loaded at construction.
    void loadRom(const char* path);

    // The settings file: ReadConfig reads it (and sets the speed it gives),
    // loadKeyboardConfiguration reads it and marks the controller and keys
    // it gives, saveKeyboardConfiguration writes the settings changed since
    // the last write, on their own lines of the file. There is one
    // file: the `slot` arguments are not used.
    void loadKeyboardConfiguration(char slot);
    void saveKeyboardConfiguration(char slot);
    // Save states, `slot` from 0 to 7 (a number, not a digit). Each result
    // prints one line and shows in the title bar a while; a refusal also
    // shows an alert, except for an empty slot. The game is untouched.
    void loadState(char slot);
    void saveState(char slot);
    void ReadConfig();
    // The window scale and full screen that the settings file gives.
    int SavedScale() const { return fSettings.scale; }
    bool SavedFullScreen() const { return fSettings.fullScreen; }
    // Whether the state that --load-state asked for was refused.
    bool StartupStateRefused() const { return fStartupStateRefused.load(std::memory_order_relaxed); }
    // Whether the movie --record or --play asked for was refused.
    bool MovieRefused() const { return fMovieRefused.load(std::memory_order_relaxed); }
    // Whether it was, or a movie played differed from its recording, or a
    // recording could not be written whole.
    bool MovieFailed() const {
        return MovieRefused() || fEmulation.movieDesyncs.load() != 0 || fEmulation.movieNotSaved.load();
    }
    // A ROM set dropped on the window, for which the user chose to start the
    // program again; "" when none. Read once the application has ended.
    const std::string& RestartRomSet() const { return fRestartRomSet; }

    // The workbench's controller, which the program has hooked to the
    // machine (null, as in the shell's tests: Workbench is refused). Opens
    // the workbench when `open` or the settings say it was open.
    void UseWorkbench(workbench::Controller* controller, bool open);

    // The id of the current emulation thread (negative when a spawn failed).
    thread_id emulationThread() const { return fCpuThread; }
    // The program ends after `frames` frames presented (--frames; 0: never).
    void limitFrames(uint32_t frames) { fEmulation.frameLimit.store(frames, std::memory_order_relaxed); }

private:
    thread_id fCpuThread = -1;
    EmulationControl fEmulation;

    // The command table's handlers (commands.cpp) act on the window.
    friend struct CommandRows;

    void freeRom();
    void showAbout();

    // The keys that act as commands (see hotkeys.h).
    void addHotkeys();
    // Game controllers play the board's joystick and three buttons.
    void bindGamepad();
    // The speed of Emulation > Speed; the title shows it until it is measured.
    void chooseSpeed(Speed speed);
    void takeScreenshot();
    void romSetDropped(const BMessage& message);
    void gamepadPlugged(const BMessage& message);
    // Shows the game's state in the title bar.
    void updateTitle();
    // Shows `notice` in the title bar for kNoticeTime, over the game's state.
    void notify(const std::string& notice);
    // The notice to show now; "" once its time is over.
    std::string currentNotice() const;
    // A save or load of a slot: its file, how its refusals begin ("Cannot
    // save slot 3: ") and their title-bar notice ("Slot 3 not saved").
    struct SlotCommand {
        std::string path, refused, notDone;
    };
    // The save (or load) of `slot`, or of the file `file` when one is given
    // (a script's); false, after the refusal, when it has no file (no game
    // booted, no home).
    bool slotCommand(int slot, bool save, SlotCommand& command, const std::string& file);
    // Load and save state: true when done.
    bool restoreSlot(int slot, const std::string& file = "");
    // --boot --load-state N: boots and loads slot "slot" in one step.
    void bootWithState(const BMessage& message);
    bool storeSlot(int slot, const std::string& file = "");
    // Marks the slots of both state menus that hold a state for this ROM set.
    void markStateSlots();
    bool emulationRunning() const;
    // Movies (app/window_movies.cpp): --record and --play (kMsgStartMovie);
    // the Movie menu's Record, Record here and Stop; recording to `path`
    // (the emulation thread stopped and started again) and playing `path`,
    // false after the refusal; stopping, which ends a recording. The menu's
    // movie is one file for each ROM set.
    void startMovie(const BMessage& message);
    void recordFromMenu(bool fromHere);
    void stopMenuMovie();
    bool recordMovie(const std::string& path, bool fromHere);
    bool playMovie(const std::string& path);
    void stopMovie();
    std::string menuMoviePath() const;
    // A fresh emulation thread after the one that ran was killed (a frame it
    // left under way drops the history); spawnEmulation is the one place a
    // thread is spawned, started at once when `run` (else at the boot).
    void restartEmulation();
    void spawnEmulation(bool run);
    // One line on the console and an alert that does not stop the game,
    // and `notice` in the title bar when given; false, for the refusing
    // command to return.
    bool refuse(const std::string& line, const std::string& notice = "");
    // The settings as the menus show them now.
    Settings liveSettings() const;
    // Opens or closes the workbench window (app/window_workbench.cpp).
    void toggleWorkbench();
    // At quit: the workbench may go, and where its panels stand is kept.
    void closeWorkbenchForQuit();
    // Writes where the panels stand, once the user has changed it.
    void keepWorkbenchPanels();

    // Writes the settings a command changed once it has been handled,
    // unless its message is for this run only.
    class SettingsKeeper {
    public:
        SettingsKeeper(BeVorelWindow& window, const BMessage& message);
        ~SettingsKeeper();

    private:
        BeVorelWindow& fWindow;
        bool fKeep;
        Settings fBefore;
    };

    Settings fSettings;  // what the settings file says, or will say
    SettingKeySet fUnsavedSettings = 0;   // changed keys not written yet
    bool fKeptSettingsSaid = false;  // that the file is not written (unreadable or read-only)
    uint64_t fRomSetHash = 0;  // of the ROM set, taken at boot
    int32 fMeasuredFps = -1;   // the emulation's last report; -1 since the speed changed
    std::string fNotice;        // the title's notice (see notify)
    bigtime_t fNoticeEnd = 0;   // when it is over
    thread_id fNoticeTimer = -1;  // ends it
    std::atomic<bool> fStartupStateRefused{false};
    std::atomic<bool> fMovieRefused{false};
    std::string fMoviePath;  // of the movie recorded or played
    std::string fRestartRomSet;
    workbench::Controller* fWorkbenchController = nullptr;
    WorkbenchWindow* fWorkbench = nullptr;  // made at the first opening; the application deletes it
};

// Removes the slot files' temporary files that a killed run left.
void removeStaleStateTemporaries();
