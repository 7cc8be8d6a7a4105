// The settings file: every key read and written, names without regard to
// case, unknown keys ignored, bad values and lines reported with the default
// kept, only changed keys taken over and written on their own lines, and a
// file that cannot be read never written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "file_text.h"
#include "isolated_home.h"
#include "settings.h"

namespace {

Settings parse(const std::string& text, std::vector<std::string>* problems = nullptr) {
    std::vector<std::string> found;
    const Settings settings = parseSettings(text, "settings.ini", found);
    if (problems) *problems = found;
    else EXPECT_TRUE(found.empty()) << found.front();
    return settings;
}

auto fields(const Settings& s) {
    return std::tuple(s.controlType, std::vector<int>(s.keyPositions, s.keyPositions + 4), s.speed, s.history,
                      s.historySeconds, s.scale, s.fullScreen, s.integerScaling, s.workbenchOpen, s.workbenchPanels);
}
bool same(const Settings& a, const Settings& b) { return fields(a) == fields(b); }

}  // namespace

// The settings in one line, for comparing with a table's.
std::string describe(const Settings& s) {
    std::string out = std::to_string(s.controlType) + " keys";
    for (uint8_t key : s.keyPositions) out += " " + std::to_string(key);
    return out + " speed " + std::to_string(static_cast<int>(s.speed)) + " scale " + std::to_string(s.scale) +
           (s.fullScreen ? " full" : "") + (s.integerScaling ? "" : " fit");
}

TEST(Settings, ReadingTakesGoodValuesWithoutRegardToCaseAndReportsBadOnesKeepingTheDefault) {
    const std::string defaults = "0 keys 18 3 0 1 speed 0 scale 1";
    const struct {
        const char* name;
        std::string text, settings;
        std::vector<std::string> problems;
    } rows[] = {
        {"empty", "", defaults, {}},
        {"every key",
         "; a comment\n# another\n[Controller]\nTYPE = Joystick\nstart = q\nselect=Enter\n"
         "  button_a   =   left SHIFT  \nbutton_b = Space ; why not\n[emulation]\nspeed = UNLIMITED\n"
         "[window]\nscale = 8\nFullScreen = YES\nscaling = Fit\n",
         "1 keys 16 33 26 29 speed 2 scale 8 full fit", {}},
        {"unknown sections and keys",
         "[controller]\nturbo = on\n[sound]\nvolume = 11\nscale = 2\n[window]\nscale = 2\n",
         "0 keys 18 3 0 1 speed 0 scale 2", {}},
        {"bad values",
         "[controller]\ntype = mouse\nstart = Escape\nselect = W\n[emulation]\nspeed = 120\n"
         "[window]\nscale = 9\nfullscreen = maybe\nscaling = stretch\n",
         "0 keys 18 22 0 1 speed 0 scale 1",
         {"settings.ini: [controller] type = \"mouse\" is not valid (keyboard or joystick); keyboard is used.",
          "settings.ini: [controller] start = \"Escape\" is not valid (a key item's label: A to Z, Left shift, ",
          "settings.ini: [emulation] speed = \"120\" is not valid (30, 60 or unlimited); 60 is used.",
          "settings.ini: [window] scale = \"9\" is not valid (1 to 8); 1 is used.",
          "settings.ini: [window] fullscreen = \"maybe\" is not valid (no or yes); no is used.",
          "settings.ini: [window] scaling = \"stretch\" is not valid (integer or fit); integer is used."}},
        {"a long bad value", "[window]\nscale = " + std::string(70, '9') + "\n", defaults,
         {"settings.ini: [window] scale = \"" + std::string(60, '9') + "...\" is not valid (1 to 8); 1 is used."}},
        {"CR alone ends a line", "[window]\rscale = 4\r\rfullscreen = yes\r", "0 keys 18 3 0 1 speed 0 scale 4 full",
         {}},
        {"a NUL byte", std::string("[window]\nscale = 4\nfullscreen = yes") + '\0' + "\nscaling = fit\n",
         "0 keys 18 3 0 1 speed 0 scale 4 full",
         {"settings.ini: line 3 holds a NUL byte; the rest of the file is ignored."}},
        {"a malformed line",
         "; " + std::string(300, 'c') + "\n[window]\nscale = 4\nthis is no setting\n[emulation]\nspeed = 30\n",
         "0 keys 18 3 0 1 speed 1 scale 4",
         {"settings.ini: line 4 is not \"name = value\" or \"[section]\"; such lines are ignored."}},
    };
    for (const auto& r : rows) {
        std::vector<std::string> problems;
        EXPECT_EQ(describe(parse(r.text, &problems)), r.settings) << r.name;
        ASSERT_EQ(problems.size(), r.problems.size()) << r.name;
        for (size_t i = 0; i < problems.size(); ++i) EXPECT_EQ(problems[i].rfind(r.problems[i], 0), 0u) << problems[i];
    }
}

TEST(Settings, WhatIsWrittenReadsBackTheSame) {
    Settings s;
    s.controlType = 1;
    s.keyPositions[0] = 33;
    s.keyPositions[3] = 27;
    s.speed = Speed::Fps30;
    s.scale = 3;
    s.fullScreen = true;
    s.integerScaling = false;
    s.history = false;
    s.historySeconds = 3600;
    s.workbenchOpen = true;
    EXPECT_TRUE(same(parse(formatSettings(s)), s)) << formatSettings(s);
    EXPECT_FALSE(same(Settings{}, s));
}

TEST(Settings, AChangeRewritesOnlyItsKeysLinesAndAddsWhatIsMissing) {
    Settings changed;
    changed.speed = Speed::Unlimited;
    changed.scale = 3;
    Settings stored;
    stored.controlType = 1;  // not a changed key: never written
    const SettingKeySet keys = takeChangedSettings(Settings{}, changed, stored);
    const struct {
        const char* name;
        std::string in, out;
    } cases[] = {
        {"comments, unknown keys, a comment's column",
         "# mine\n[emulation]\nspeed = 60             ; 30, 60 or unlimited\nturbo = on\n\n[window]\n; below\nscale=1 ; small\n",
         "# mine\n[emulation]\nspeed = unlimited      ; 30, 60 or unlimited\nturbo = on\n\n[window]\n; below\nscale=3 ; small\n"},
        {"a missing key after its section's last setting",
         "[window]\nfullscreen = no\n\n[emulation]\nspeed = 30\n",
         "[window]\nfullscreen = no\nscale = 3\n\n[emulation]\nspeed = unlimited\n"},
        {"missing sections at the end, in the text's line ends",
         "\xEF\xBB\xBF[Controller]\r\ntype = joystick\r\n",
         "\xEF\xBB\xBF[Controller]\r\ntype = joystick\r\n\r\n[emulation]\r\nspeed = unlimited\r\n\r\n[window]\r\nscale = 3\r\n"},
        {"names without regard to case, the last of a repeated key, no last line end",
         "[WINDOW]\nSCALE =\n[emulation]\nspeed=30\nSpeed : 30", "[WINDOW]\nSCALE = 3\n[emulation]\nspeed=30\nSpeed : unlimited"},
        {"a comment after an empty value", "[window]\nscale = ; set by hand\n",
         "[window]\nscale = 3 ; set by hand\n\n[emulation]\nspeed = unlimited\n"},
        {"CR alone", "[window]\rscale = 1\r", "[window]\rscale = 3\r\r[emulation]\rspeed = unlimited\r"},
        {"a section without settings", "[window]", "[window]\nscale = 3\n\n[emulation]\nspeed = unlimited\n"},
        {"nothing", "", "[emulation]\nspeed = unlimited\n\n[window]\nscale = 3\n"},
    };
    for (const auto& c : cases) {
        const std::string out = updateSettingsText(c.in, stored, keys);
        EXPECT_EQ(out, c.out) << c.name;
        std::vector<std::string> ignored;
        Settings expected = parse(c.in, &ignored);
        takeChangedSettings(Settings{}, changed, expected);
        EXPECT_TRUE(same(parse(out), expected)) << c.name;
    }
}

// A missing file reads as the defaults and is written whole; one that cannot
// be read is said once on reading and never written.
TEST(Settings, AMissingFileIsWrittenWholeAndOneThatCannotBeReadNever) {
    test_home::isolatedHome().clear();
    const std::filesystem::path dir = test_home::isolatedHome().config();
    const std::string path = (dir / "settings.ini").string();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(same(readSettingsFile(path), Settings{}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::filesystem::create_directories(path);  // a directory in its place
    testing::internal::CaptureStdout();
    EXPECT_TRUE(same(readSettingsFile(path), Settings{}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Settings: " + path + " is not a regular file; the defaults are used.\n");
    std::filesystem::remove(path);

    Settings s;
    s.fullScreen = true;
    std::string error;
    ASSERT_EQ(updateSettingsFile(path, s, 0, error), SettingsWrite::Written) << error;
    EXPECT_EQ(fileText(path), formatSettings(s)) << "a missing file is written whole";
    EXPECT_TRUE(same(readSettingsFile(path), s));
    ASSERT_TRUE(writeSettingsFile(path, Settings{}, error)) << error;
    EXPECT_TRUE(same(readSettingsFile(path), Settings{}));

    const std::string unparsable = "[window]\nscale = 2\nthis is no setting\n";
    const struct {
        const char* name;
        std::function<void()> make;
        std::string error;
    } cases[] = {
        {"too large", [&] { std::ofstream(path) << std::string(70000, '#'); }, path + " is too large (70000 bytes)"},
        {"unparsable", [&] { std::ofstream(path) << unparsable; },
         path + ": line 3 is not \"name = value\" or \"[section]\""},
        {"a NUL byte", [&] { std::ofstream(path) << std::string("[window]\0", 9); }, path + " holds a NUL byte"},
        {"a FIFO", [&] { mkfifo(path.c_str(), 0600); }, path + " is not a regular file"},
        {"read-only", [&] { std::ofstream(path) << "[window]\n"; chmod(path.c_str(), 0444); }, path + " is read-only"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        c.make();
        const std::string before = std::filesystem::is_fifo(path) ? "" : fileText(path);
        EXPECT_EQ(updateSettingsFile(path, s, kEveryKey, error), SettingsWrite::Kept) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (!before.empty()) EXPECT_EQ(fileText(path), before) << c.name;
    }
}
