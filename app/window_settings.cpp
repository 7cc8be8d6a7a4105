// The window's settings: read at construction, written when a command
// changes one.
#include <cstdio>

#include "bevorel_window.h"
#include "emulation.h"
#include "menus.h"
#include "workbench_window.h"

void BeVorelWindow::ReadConfig() {
    const std::string path = settingsPath();
    fSettings = path.empty() ? Settings{} : readSettingsFile(path);
    fEmulation.applySpeed(fSettings.speed);
    fEmulation.setHistory(fSettings.history, fSettings.historySeconds);
}

void BeVorelWindow::loadKeyboardConfiguration(char) {
    ReadConfig();
    chooseController(fSettings.controlType);
    for (int k = 0; k < 4; ++k) chooseKey(kCmdKeyBase[k] + fSettings.keyPositions[k]);
}

void BeVorelWindow::saveKeyboardConfiguration(char) {
    const std::string path = settingsPath();
    std::string error;
    if (path.empty()) {
        std::printf("Settings not saved: there is no home directory (HOME) or XDG_CONFIG_HOME to keep them in.\n");
        return;
    }
    switch (updateSettingsFile(path, fSettings, fUnsavedSettings, error)) {
        case SettingsWrite::Written:
            fUnsavedSettings = 0;
            return;
        case SettingsWrite::Kept:
            // The user's file is never replaced by one the program made up,
            // nor one the user made read-only; said once a run.
            if (!fKeptSettingsSaid)
                std::printf("Settings not saved: %s; the file is left as it is, and changes hold for this run.\n",
                            error.c_str());
            fKeptSettingsSaid = true;
            return;
        case SettingsWrite::Failed:
            std::printf("Settings not saved: %s.\n", error.c_str());
            return;
    }
}

Settings BeVorelWindow::liveSettings() const {
    Settings live = fSettings;
    live.controlType = controlType;
    for (int k = 0; k < 4; ++k) {
        int submenu = 0, position = 0;
        const BMenuItem* marked = menus[k + 1]->FindMarked();
        if (marked && marked->Message() && keyChoiceOf(marked->Message()->what, &submenu, &position))
            live.keyPositions[k] = static_cast<uint8_t>(position);
    }
    live.speed = currentSpeed();
    live.scale = PixelScale();
    live.fullScreen = IsFullScreen();
    if (fWorkbench) {
        live.workbenchOpen = !fWorkbench->IsHidden();
        live.workbenchPanels = workbench::formatLayout(fWorkbench->CurrentLayout());
    }
    return live;
}

BeVorelWindow::SettingsKeeper::SettingsKeeper(BeVorelWindow& window, const BMessage& message)
    : fWindow(window), fKeep(!message.HasField(kForThisRun)), fBefore(window.liveSettings()) {}

BeVorelWindow::SettingsKeeper::~SettingsKeeper() {
    if (!fKeep) return;
    const SettingKeySet changed = takeChangedSettings(fBefore, fWindow.liveSettings(), fWindow.fSettings);
    if (!changed) return;
    // Keys a failed write left unsaved go with the next write.
    fWindow.fUnsavedSettings |= changed;
    fWindow.saveKeyboardConfiguration(0);
}
