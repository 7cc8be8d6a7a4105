#include "settings.h"

#include <ini.h>
#include <strings.h>

#include <cstdio>

#include "atomic_file.h"
#include "menus.h"
#include "settings_text.h"
#include "xdg_dirs.h"

namespace {

constexpr size_t kLargestFile = 64 * 1024;
constexpr int kMaxScale = 8;
constexpr int kFewestHistorySeconds = 10, kMostHistorySeconds = 3600;
// A bad value is quoted up to this many bytes: a long one is not echoed whole.
constexpr size_t kLongestQuote = 60;

std::string formatController(const Settings& s) { return s.controlType ? "joystick" : "keyboard"; }
bool parseController(const std::string& text, Settings& s) {
    if (strcasecmp(text.c_str(), "keyboard") == 0) s.controlType = 0;
    else if (strcasecmp(text.c_str(), "joystick") == 0) s.controlType = 1;
    else return false;
    return true;
}

template <int Function>
std::string formatKey(const Settings& s) {
    return keyLabels[s.keyPositions[Function]];
}
template <int Function>
bool parseKey(const std::string& text, Settings& s) {
    for (int p = 0; p < kKeyCount; ++p) {
        if (strcasecmp(text.c_str(), keyLabels[p]) == 0) {
            s.keyPositions[Function] = static_cast<uint8_t>(p);
            return true;
        }
    }
    return false;
}

std::string formatSpeed(const Settings& s) {
    return s.speed == Speed::Fps30 ? "30" : s.speed == Speed::Unlimited ? "unlimited" : "60";
}
bool parseSpeed(const std::string& text, Settings& s) {
    if (text == "60") s.speed = Speed::Fps60;
    else if (text == "30") s.speed = Speed::Fps30;
    else if (strcasecmp(text.c_str(), "unlimited") == 0) s.speed = Speed::Unlimited;
    else return false;
    return true;
}

std::string formatHistory(const Settings& s) { return s.history ? "on" : "off"; }
std::string formatHistorySeconds(const Settings& s) { return std::to_string(s.historySeconds); }
bool parseHistorySeconds(const std::string& text, Settings& s) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int seconds = std::stoi(text);
    if (seconds < kFewestHistorySeconds || seconds > kMostHistorySeconds) return false;
    s.historySeconds = seconds;
    return true;
}

std::string formatScale(const Settings& s) { return std::to_string(s.scale); }
bool parseScale(const std::string& text, Settings& s) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kMaxScale) return false;
    s.scale = text[0] - '0';
    return true;
}

// A setting that is one of two words, the first for true.
bool parseEither(const std::string& text, const char* yes, const char* no, bool& value) {
    if (strcasecmp(text.c_str(), yes) != 0 && strcasecmp(text.c_str(), no) != 0) return false;
    value = strcasecmp(text.c_str(), yes) == 0;
    return true;
}

std::string formatFullScreen(const Settings& s) { return s.fullScreen ? "yes" : "no"; }
bool parseFullScreen(const std::string& text, Settings& s) { return parseEither(text, "yes", "no", s.fullScreen); }

std::string formatScaling(const Settings& s) { return s.integerScaling ? "integer" : "fit"; }
bool parseScaling(const std::string& text, Settings& s) { return parseEither(text, "integer", "fit", s.integerScaling); }
bool parseHistory(const std::string& text, Settings& s) { return parseEither(text, "on", "off", s.history); }

std::string formatWorkbench(const Settings& s) { return s.workbenchOpen ? "yes" : "no"; }
bool parseWorkbench(const std::string& text, Settings& s) { return parseEither(text, "yes", "no", s.workbenchOpen); }

std::string formatPanels(const Settings& s) { return s.workbenchPanels; }
bool parsePanels(const std::string& text, Settings& s) {
    workbench::Layout layout = workbench::defaultLayout();
    if (!workbench::parseLayout(text, layout)) return false;
    s.workbenchPanels = workbench::formatLayout(layout);
    return true;
}

constexpr const char* kKeyLabels = "a key item's label: A to Z, Left shift, Left ctrl, Left alt, Space, "
                                   "Right alt, Right ctrl, Right shift or Enter";

// `text` cut to kLongestQuote bytes (at the start of a UTF-8 character) and
// "..." when it is longer.
std::string quoted(const std::string& text) {
    if (text.size() <= kLongestQuote) return text;
    size_t cut = kLongestQuote;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "...";
}

struct ParseContext {
    Settings* settings;
    const std::string* fileName;
    std::vector<std::string>* problems;
};

int takeValue(void* user, const char* section, const char* name, const char* value) {
    auto& context = *static_cast<ParseContext*>(user);
    for (const SettingKey& key : settingKeys()) {
        if (strcasecmp(section, key.section) != 0 || strcasecmp(name, key.name) != 0) continue;
        if (!key.parse(value, *context.settings)) {
            context.problems->push_back(*context.fileName + ": [" + key.section + "] " + key.name + " = \"" +
                                        quoted(value) + "\" is not valid (" + key.valid + "); " +
                                        key.format(Settings{}) + " is used.");
            key.parse(key.format(Settings{}), *context.settings);
        }
        break;
    }
    return 1;  // unknown keys are ignored, and bad values are reported above
}

int ignoreValue(void*, const char*, const char*, const char*) { return 1; }

// The reader's options, set before each parse: an indented line is a setting
// like any other, not the continuation of the value above it, and a line is
// read whole however long it is (a long comment is not cut into lines). The
// reader ends lines at LF only: a CR alone ends one too, so it becomes LF
// (CR LF stays, the reader drops the CR), and line numbers stay the text's.
// The text ends at a NUL byte, if it holds one.
int parseText(const std::string& text, ini_handler handler, void* user) {
    ini_allow_multiline = false;
    ini_use_stack = false;
    ini_allow_realloc = false;
    ini_initial_alloc = ini_max_line = static_cast<int>(kLargestFile) + 3;
    std::string lines = text;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == '\r' && (i + 1 == lines.size() || lines[i + 1] != '\n')) lines[i] = '\n';
    return ini_parse_string(lines.c_str(), handler, user);
}

// The line of the text's first NUL byte, or 0 without one.
int lineOfNul(const std::string& text) {
    const size_t nul = text.find('\0');
    if (nul == std::string::npos) return 0;
    int line = 1;
    for (size_t i = 0; i < nul; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && text[i + 1] != '\n')) ++line;
    return line;
}

bool isSettingsFileName(const std::string& name) { return name == "settings.ini"; }

}  // namespace

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = {
        {"controller", "type", formatController, parseController, "keyboard or joystick"},
        {"controller", "start", formatKey<0>, parseKey<0>, kKeyLabels},
        {"controller", "select", formatKey<1>, parseKey<1>, kKeyLabels},
        {"controller", "button_a", formatKey<2>, parseKey<2>, kKeyLabels},
        {"controller", "button_b", formatKey<3>, parseKey<3>, kKeyLabels},
        {"emulation", "speed", formatSpeed, parseSpeed, "30, 60 or unlimited"},
        {"emulation", "history", formatHistory, parseHistory, "on or off"},
        {"emulation", "history_seconds", formatHistorySeconds, parseHistorySeconds, "10 to 3600"},
        {"window", "scale", formatScale, parseScale, "1 to 8"},
        {"window", "fullscreen", formatFullScreen, parseFullScreen, "no or yes"},
        {"window", "scaling", formatScaling, parseScaling, "integer or fit"},
        {"workbench", "open", formatWorkbench, parseWorkbench, "no or yes"},
        {"workbench", "panels", formatPanels, parsePanels,
         "entries \"name open left top width height\" separated by commas"},
    };
    return keys;
}

std::string settingsPath() {
    const std::string base = xdgConfigHome();
    return base.empty() ? "" : base + "/bevorel/settings.ini";
}

Settings parseSettings(const std::string& text, const std::string& fileName, std::vector<std::string>& problems) {
    Settings settings;
    ParseContext context{&settings, &fileName, &problems};
    const int badLine = parseText(text, takeValue, &context);
    if (badLine > 0)
        problems.push_back(fileName + ": line " + std::to_string(badLine) +
                           " is not \"name = value\" or \"[section]\"; such lines are ignored.");
    if (const int line = lineOfNul(text))
        problems.push_back(fileName + ": line " + std::to_string(line) +
                           " holds a NUL byte; the rest of the file is ignored.");
    return settings;
}

std::string formatSettings(const Settings& settings) {
    std::string text =
        "# BePellmora settings. A setting changed in the menus changes its own\n"
        "# line here; comments and unknown keys (ignored) are kept.\n";
    const char* section = "";
    for (const SettingKey& key : settingKeys()) {
        if (strcasecmp(section, key.section) != 0) {
            section = key.section;
            text += std::string("\n[") + section + "]\n";
        }
        text += std::string(key.name) + " = " + key.format(settings) + "\n";
    }
    return text;
}

Settings readSettingsFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    switch (readWholeFile(path, kLargestFile, bytes, error)) {
        case ReadStatus::Missing:
            return Settings{};
        case ReadStatus::Failed:
            std::printf("Settings: %s; the defaults are used.\n", error.c_str());
            return Settings{};
        case ReadStatus::Read:
            break;
    }
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> problems;
    const Settings settings = parseSettings(text, path, problems);
    for (const std::string& line : problems) std::printf("%s\n", line.c_str());
    return settings;
}

std::string updateSettingsText(const std::string& text, const Settings& settings, SettingKeySet keys) {
    std::string updated = text;
    const std::vector<SettingKey>& all = settingKeys();
    for (size_t i = 0; i < all.size(); ++i)
        if (keys >> i & 1) updated = withSettingValue(updated, all[i].section, all[i].name, all[i].format(settings));
    return updated;
}

SettingsWrite updateSettingsFile(const std::string& path, const Settings& settings, SettingKeySet keys,
                                 std::string& error) {
    std::vector<uint8_t> bytes;
    std::string text;
    switch (readWholeFile(path, kLargestFile, bytes, error)) {
        case ReadStatus::Missing:
            text = formatSettings(settings);
            break;
        case ReadStatus::Failed:
            return SettingsWrite::Kept;
        case ReadStatus::Read: {
            // Only a file read as a whole is changed: its lines are kept as written.
            text.assign(bytes.begin(), bytes.end());
            if (text.find('\0') != std::string::npos) {
                error = path + " holds a NUL byte";
                return SettingsWrite::Kept;
            }
            if (const int line = parseText(text, ignoreValue, nullptr)) {
                error = path + ": line " + std::to_string(line) + " is not \"name = value\" or \"[section]\"";
                return SettingsWrite::Kept;
            }
            if (isReadOnly(path)) {
                error = path + " is read-only";
                return SettingsWrite::Kept;
            }
            text = updateSettingsText(text, settings, keys);
            break;
        }
    }
    return writeFileAtomically(path, text.data(), text.size(), error) ? SettingsWrite::Written : SettingsWrite::Failed;
}

bool writeSettingsFile(const std::string& path, const Settings& settings, std::string& error) {
    return updateSettingsFile(path, settings, kEveryKey, error) == SettingsWrite::Written;
}

void removeStaleSettingsTemporaries() {
    const std::string path = settingsPath();
    if (!path.empty()) removeStaleTemporaries(path.substr(0, path.rfind('/')), isSettingsFileName);
}

SettingKeySet takeChangedSettings(const Settings& before, const Settings& after, Settings& stored) {
    SettingKeySet changed = 0;
    const std::vector<SettingKey>& all = settingKeys();
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string value = all[i].format(after);
        if (value == all[i].format(before)) continue;
        all[i].parse(value, stored);
        changed |= SettingKeySet{1} << i;
    }
    return changed;
}
