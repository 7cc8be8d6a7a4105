#include "rom_set_link.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "paths.h"
#include "rom_files.h"
#include "rom_set_location.h"

namespace {

// A ROM set given as a directory: the board's "./Roms/NAME" is NAME there.
std::unique_ptr<unsigned char[]> readFromGivenDirectory(const char* name) {
    const char* leaf = std::strrchr(name, '/');
    return read_rom_file(romSetPlace.prefix + (leaf ? leaf + 1 : name));
}

}  // namespace

void useRomSet(const char* program, const std::string& givenDirectory) {
    romSetPlace = locateRomSet(givenDirectory, program, realProgramPath());
    if (romSetPlace.programPathTooLong)
        std::printf("The program's path is %zu characters or more: looking for Roms/ in the current directory.\n",
                    kPathSize);
    copyPath(execPath, romSetPlace.prefix.c_str());
    if (romSetPlace.givenDirectory) pm_setRomSource(readFromGivenDirectory);
}

void restartProgram(const char* program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    // The program's own file, whatever argv[0] says.
    execv("/proc/self/exe", argv.data());
    std::fprintf(stderr, "%s: cannot start again: %s\n", program, std::strerror(errno));
}
