#include "option_table.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kRows = {
    OptionRow{"--boot", nullptr, "boot the game at start, as File > Boot does"},
    OptionRow{"--frames", "N", "quit, as File > Quit does, after N presented frames"},
    OptionRow{"--screenshot", "FILE", "write the last presented frame (256 x 224) to FILE as PNG at quit"},
    OptionRow{"--speed", "30|60|unlimited",
              "the speed at start, as Emulation > Speed sets it (default 60, or the settings file's)"},
    OptionRow{"--scale", "N",
              "open the window at N times the picture's size, menus too (1 to 8; default 1, or the settings "
              "file's)"},
    OptionRow{"--fullscreen", nullptr, "fill the screen from the start (F11 or Alt+Enter switch)"},
    OptionRow{"--load-state", "N", "with --boot: load the state saved in slot N (0 to 7) before the first frame"},
    OptionRow{"--record", "FILE",
              "boot and record a movie (every frame's keys) to FILE from power-on, or from the state "
              "--load-state loads; written as it goes"},
    OptionRow{"--play", "FILE",
              "boot and play the movie in FILE back (keys and controllers are ignored while it plays; "
              "--load-state is refused with it); with --frames, exits with status 1 if a frame differs from "
              "the recording or the file is refused"},
    OptionRow{"--gdb", "PORT",
              "serve gdb's remote protocol on 127.0.0.1:PORT (0: any free port); the game waits at its first "
              "frame until gdb attaches"},
    OptionRow{"--workbench", nullptr, "open the workbench at start (F10 or Emulation > Workbench switch it)"},
    OptionRow{"--symbols", "FILE", "names for the workbench and scripts: an ELF file or lines of \"address name\""},
    OptionRow{"--script", "FILE",
              "run the Lua script FILE from the first frame (may be given more than once; see docs/scripting.md)"},
    OptionRow{"--script-timeout", "S", "the longest a script's chunk or callback may run, in seconds (default 1)"},
    OptionRow{"--profile", "FILE",
              "profile the 68000 from the first frame to quit: the cycles of each function (named by "
              "--symbols), written to FILE in callgrind's format"},
    OptionRow{"--help", nullptr, "print this help and exit"},
    OptionRow{"--version", nullptr, "print the version, the commit it was built from and the build type, and exit"},
};

}  // namespace

const char* const kProgramDescription =
    "Emulates the arcade board with the ROM set in DIR (or the directory of FILE, one of its six files, or in "
    "the archive ZIP), or without one in Roms/ beside the program (its real path), else in Roms/ of the current "
    "directory, else in bevorel/Roms/ of the data directories ($XDG_DATA_DIRS, by default /usr/local/share and "
    "/usr/share) or ../share/bevorel/Roms/ from the program's directory.";

const char* const kProgramFiles =
    "Screenshots go to the pictures directory, the states to $XDG_DATA_HOME/bevorel/states/, the settings to "
    "$XDG_CONFIG_HOME/bevorel/settings.ini.";

std::span<const OptionRow> optionRows() { return kRows; }

const OptionRow* findOption(std::string_view name) {
    const auto row = std::find_if(kRows.begin(), kRows.end(), [&](const OptionRow& r) { return name == r.name; });
    return row == kRows.end() ? nullptr : &*row;
}

std::vector<std::string> wrapLines(std::string_view text, size_t width) {
    std::vector<std::string> lines(1);
    while (!text.empty()) {
        const size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (word.empty()) continue;
        std::string& line = lines.back();
        if (line.empty()) line = word;
        else if (line.size() + 1 + word.size() <= width) line += " " + std::string(word);
        else lines.emplace_back(word);
    }
    return lines;
}
