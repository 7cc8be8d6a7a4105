// The main window: menus, commands, the emulation thread and the picture.
#pragma once

#include <cstdint>

#include "kit.h"

extern const char* kWindowName;
extern BRect kWindowFrame;
extern BFilePanel* Load;

// Posted to the window by the application to boot a game chosen through a
// file reference; carries the path under "path".
constexpr uint32_t kMsgLoadRom = 0x6C726F6D;  // 'lrom'

class BeVorelWindow : public BWindow {
public:
    BeVorelWindow();
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

    void loadKeyboardConfiguration(char slot);
    void saveKeyboardConfiguration(char slot);
    void loadState(char slot);
    void saveState(char slot);
    void ReadConfig();

    thread_id fCpuThread = -1;

private:
    void freeRom();
    void showAbout();
};

// Whether the board start-up loaded the ROM set and made the memories.
bool boardReady();
