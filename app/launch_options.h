// Command-line options, for people and for automation. Without options the
// program starts with no game booted, at 60 frames a second, at scale 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "speed.h"

struct LaunchOptions {
    bool boot = false;          // --boot: boot at start, as the Boot command does
    uint32_t frames = 0;        // --frames N: quit after N presented frames (0: never)
    std::string screenshot;     // --screenshot FILE.png: the last presented frame, at quit
    Speed speed = Speed::Fps60; // --speed 30|60|unlimited
    bool speedGiven = false;
    int scale = 1;              // --scale N: window pixels per picture pixel
    int gdbPort = -1;           // --gdb PORT: serve gdb on 127.0.0.1:PORT (0: any free port); -1: no
    bool scaleGiven = false;
    int loadState = -1;         // --load-state N: with --boot, the state of slot N (-1: none)
    std::string recordMovie;    // --record FILE: boot and record a movie from power-on (or the state loaded)
    std::string playMovie;      // --play FILE: boot and play a movie back
    bool fullScreen = false;    // --fullscreen: the window fills the screen from the start
    bool workbench = false;     // --workbench: the workbench opens at start, for this run
    std::string symbols;        // --symbols FILE: names for the workbench and scripts (ELF or "address name" lines)
    std::vector<std::string> scripts;  // --script FILE (repeatable): Lua scripts run from the first frame
    double scriptTimeout = 1.0;        // --script-timeout SECONDS: the longest a script's callback may run
    std::string profile;        // --profile FILE: profile from the first frame to quit, in callgrind's format
    std::string romSet;         // DIR|FILE|ZIP: the ROM set's directory, one of its files or a .zip
                                // of them ("": look for Roms/)
    int romSetArgument = -1;    // where it stands among the arguments
};

enum class ParseResult { Run, Help, Version, Error };

// Parses argv[1..]. On Error, `error` holds the message (without the
// program's name or a newline). An argument that is no option is the ROM
// set, which must exist; there is at most one.
ParseResult parseLaunchOptions(const std::vector<std::string>& args, LaunchOptions& options,
                               std::string& error);

// The arguments to start the program again with the ROM set `romSet`:
// `args` (argv[1..], as parsed into `options`) with `romSet` in place of the
// ROM set they gave, if any.
std::vector<std::string> argumentsWithRomSet(const std::vector<std::string>& args, const LaunchOptions& options,
                                             const std::string& romSet);

// The text of --help, for a program called `program`.
std::string usageText(const char* program);
