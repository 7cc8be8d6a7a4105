// The settings kept between runs, in $XDG_CONFIG_HOME/bevorel/settings.ini
// (by default ~/.config/bevorel/settings.ini):
//   [controller] type (keyboard, joystick), start, select, button_a,
//                button_b (a key item's label, such as S or Left shift)
//   [emulation]  speed (30, 60, unlimited)
//   [window]     scale (1 to 8), fullscreen (no, yes), scaling (integer, fit)
// A setting is a field of Settings and an entry of settingKeys().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "launch_options.h"

struct Settings {
    uint8_t controlType = 0;                   // 0 keyboard, 1 joystick
    uint8_t keyPositions[4] = {18, 3, 0, 1};  // Start, Select, Button A, Button B: S, D, A, B
    Speed speed = Speed::Fps60;
    int scale = 1;              // the window's size at start, and of its menus
    bool fullScreen = false;
    bool integerScaling = true;  // the picture in whole multiples; else as large as fits
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

// The settings file; "" when there is no home directory.
std::string settingsPath();

// The settings a file's text gives, over the defaults. Section and key names
// are matched without regard to case; unknown ones are ignored. A bad value
// keeps the default, and it and every malformed line add a line to
// `problems`, named after `fileName`.
Settings parseSettings(const std::string& text, const std::string& fileName, std::vector<std::string>& problems);
// The file's text for `settings`: every key, with a comment on top.
std::string formatSettings(const Settings& settings);

// Reads the settings file at `path`. A missing file is normal and gives the
// defaults; every problem is printed on standard output, one line each.
Settings readSettingsFile(const std::string& path);
// Writes the file at once (see writeFileAtomically).
bool writeSettingsFile(const std::string& path, const Settings& settings, std::string& error);

// Copies into `stored` every key whose value differs between `before` and
// `after`; true when there was one.
bool takeChangedSettings(const Settings& before, const Settings& after, Settings& stored);
