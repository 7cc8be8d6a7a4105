// The real program, headless, where start-up cannot go on: no ROM set that
// loads, no display. It ends by itself with status 1 and one clear message.
#include <algorithm>

#include "child_process.h"
#include "hostile_support.h"

using namespace hostile;

namespace {

struct ProgramRun {
    const char* name;
    std::string command;  // run in the ROM set's directory: environment, then the program's arguments
    int status;
    std::string shown;
};

TEST(HostileProgram, EndsByItselfWithItsStatusAndOneClearMessage) {
    RomSet set;
    set.writeComplete(ProgramImage(0x00104000, 0x400));
    fs::resize_file(set.file("CH2"), kRomFileSize - 1);
    const std::string noDisplay = "-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u XDG_RUNTIME_DIR ";
    const ProgramRun runs[] = {  // stdout where it shows what it should, else only stderr: one line
        {"NoRomSet", "SDL_VIDEODRIVER=dummy '" BEVOREL_PROGRAM "' Roms", 1,
         "Loading ROMS...(" + set.file("CH2").string() + " is 131071 bytes where 131072 are needed)Failed\n\n"
         "No ROM set is loaded (see the start-up messages above): the game cannot be booted.\n"},
        {"NoDisplay", noDisplay + "-u DISPLAY '" BEVOREL_PROGRAM "' >/dev/null", 1, "no display found"},
        {"NoSuchDisplay", noDisplay + "DISPLAY=:97 '" BEVOREL_PROGRAM "' >/dev/null", 1, "SDL_VIDEODRIVER=dummy"},
        {"NoSuchHost", noDisplay + "DISPLAY=nowhere:0 '" BEVOREL_PROGRAM "' >/dev/null", 1, "no display found"},
        {"AWindowlessDriverChosen", noDisplay + "-u DISPLAY SDL_VIDEODRIVER=dummy '" BEVOREL_PROGRAM "'", 0,
         "\nAverage fps : "},
    };
    for (const ProgramRun& row : runs) {
        SCOPED_TRACE(row.name);
        ChildProcess run("cd '" + set.path().string() + "' && exec env " + row.command + " --boot --frames 3", 120);
        EXPECT_EQ(run.wait(), row.status) << run.output;
        EXPECT_NE(run.output.find(row.shown), std::string::npos) << run.output;
        EXPECT_TRUE(row.command.ends_with("/dev/null") ? std::count(run.output.begin(), run.output.end(), '\n') == 1
                                                       : (run.output.find("Average fps") != std::string::npos) == !row.status)
            << run.output;
    }
}

}  // namespace
