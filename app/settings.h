// The settings kept between runs, in $XDG_CONFIG_HOME/bevorel/settings.ini
// (by default ~/.config/bevorel/settings.ini):
//   [controller] type (keyboard, joystick), start, select, button_a,
//                button_b (a key item's label, such as S or Left shift)
//   [emulation]  speed (30, 60, unlimited), history (on, off),
//                history_seconds (10 to 3600: the play kept for rewinding)
//   [window]     scale (1 to 8), fullscreen (no, yes), scaling (integer, fit)
//   [workbench]  open (no, yes), panels (which are open and where: layout.h)
// A setting is a field of Settings and an entry of settingKeys().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "launch_options.h"
#include "layout.h"

struct Settings {
    uint8_t controlType = 0;                   // 0 keyboard, 1 joystick
    uint8_t keyPositions[4] = {18, 3, 0, 1};  // Start, Select, Button A, Button B: S, D, A, B
    Speed speed = Speed::Fps60;
    bool history = true;        // the recent past kept, for rewinding
    int historySeconds = 300;
    int scale = 1;              // the window's size at start, and of its menus
    bool fullScreen = false;
    bool integerScaling = true;  // the picture in whole multiples; else as large as fits
    bool workbenchOpen = false;
    std::string workbenchPanels = workbench::formatLayout(workbench::defaultLayout());
};

// One key of the file: where it stands and how its value is written and read.
struct SettingKey {
    const char* section;
    const char* name;
    std::string (*format)(const Settings& settings);
    // False when `text` is not a valid value; `settings` is then unchanged.
    bool (*parse)(const std::string& text, Settings& settings);
    const char* valid;  // the valid values, for messages
};
// Every key, in the file's order.
const std::vector<SettingKey>& settingKeys();
// A set of keys: bit i stands for settingKeys()[i].
using SettingKeySet = uint32_t;
constexpr SettingKeySet kEveryKey = ~SettingKeySet{0};

// The settings file; "" when there is no home directory.
std::string settingsPath();

// The settings a file's text gives, over the defaults. Section and key names
// are matched without regard to case; unknown ones are ignored. A bad value
// keeps the default, and it and every malformed line add a line to
// `problems`, named after `fileName`, as does a NUL byte (the text ends there).
Settings parseSettings(const std::string& text, const std::string& fileName, std::vector<std::string>& problems);
// The file's text for `settings`: every key, with a comment on top.
std::string formatSettings(const Settings& settings);
// `text` with the values `settings` gives `keys`, each changed on its own
// line and everything else kept (see withSettingValue).
std::string updateSettingsText(const std::string& text, const Settings& settings, SettingKeySet keys);

// Reads the settings file at `path`. A missing file is normal and gives the
// defaults; every problem is printed on standard output, one line each.
Settings readSettingsFile(const std::string& path);

enum class SettingsWrite {
    Written,
    Kept,     // the file is left as it is: it cannot be read whole, has lines that are no settings, or is read-only
    Failed,   // the file cannot be written: it is as it was
};
// Sets `keys` in the settings file at `path` to their values in `settings`
// (see updateSettingsText); a missing file is written whole (formatSettings).
// The file is replaced atomically, where a symbolic link leads, with its
// permissions (see writeFileAtomically); a read-only one is Kept. Unless
// Written, `error` says why.
SettingsWrite updateSettingsFile(const std::string& path, const Settings& settings, SettingKeySet keys,
                                 std::string& error);
// Sets every key.
bool writeSettingsFile(const std::string& path, const Settings& settings, std::string& error);

// Copies into `stored` every key whose value differs between `before` and
// `after`; gives those keys (none: 0).
SettingKeySet takeChangedSettings(const Settings& before, const Settings& after, Settings& stored);

// Removes the settings file's temporary files that a killed run left.
void removeStaleSettingsTemporaries();
