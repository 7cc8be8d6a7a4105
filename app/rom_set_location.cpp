#include "rom_set_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "paths.h"

const char* const kRomSetFiles[6] = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};
RomSetPlace romSetPlace;

namespace {

constexpr off_t kRomFileBytes = 131072;

std::string withSlash(const std::string& directory) {
    return directory.empty() || directory.back() == '/' ? directory : directory + "/";
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string currentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? withSlash(buffer) : "./";
}

// An absolute spelling of `directory` for messages.
std::string absolute(const std::string& directory) {
    if (!directory.empty() && directory[0] == '/') return withSlash(directory);
    std::string relative = withSlash(directory);
    if (relative.rfind("./", 0) == 0) relative.erase(0, 2);
    return currentDirectory() + relative;
}

bool sameDirectory(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool fitsTheBoard(const std::string& prefix) { return prefix.size() < kPathSize; }

}  // namespace

std::vector<std::string> missingRomFiles(const std::string& directory) {
    std::vector<std::string> missing;
    for (const char* name : kRomSetFiles) {
        const std::string path = withSlash(directory) + name;
        // O_NONBLOCK: a FIFO in a file's place never blocks the check.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat status;
        const bool usable = fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                            status.st_size >= kRomFileBytes;
        if (fd >= 0) ::close(fd);
        if (!usable) missing.push_back(name);
    }
    return missing;
}

RomSetPlace locateRomSet(const std::string& givenDirectory, const std::string& invokedAs,
                         const std::string& realProgram) {
    RomSetPlace place;
    if (!givenDirectory.empty()) {
        place.prefix = withSlash(givenDirectory);
        place.givenDirectory = true;
        place.searched = {absolute(givenDirectory)};
        return place;
    }
    // The program's directory, as argv[0] spells it when that is the same
    // place as the real one.
    std::string programDirectory = directoryOf(invokedAs);
    if (!realProgram.empty()) {
        const std::string real = directoryOf(realProgram);
        if (!sameDirectory(programDirectory, real) || !fitsTheBoard(programDirectory)) programDirectory = real;
    }
    std::vector<std::string> candidates;
    if (fitsTheBoard(programDirectory)) candidates.push_back(programDirectory);
    else place.programPathTooLong = true;
    if (candidates.empty() || !sameDirectory(programDirectory, "./")) candidates.push_back("./");
    for (const std::string& candidate : candidates) {
        place.searched.push_back(absolute(candidate + "Roms"));
        if (place.prefix.empty() && missingRomFiles(candidate + "Roms").empty()) place.prefix = candidate;
    }
    if (place.prefix.empty()) place.prefix = candidates.front();
    return place;
}

std::string realProgramPath() {
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer - 1) return "";
    return std::string(buffer, static_cast<size_t>(length));
}

std::string missingRomSetText(const RomSetPlace& place) {
    std::string text = "No ROM set could be loaded";
    if (place.searched.empty()) {
        text += ".";
    } else if (place.searched.size() == 1) {
        text += " from " + place.searched.front() + ".";
    } else {
        text += ". It was looked for in";
        for (size_t i = 0; i < place.searched.size(); ++i)
            text += (i == 0 ? " " : i + 1 == place.searched.size() ? " and " : ", ") + place.searched[i];
        text += ".";
    }
    text += std::string("\n\nA ROM set is six files of at least 131,072 bytes each: ") + kRomSetFileList +
            ". Start the program with the directory that holds them (bevorel DIR), or drop that directory "
            "on this window. The console shows what went wrong.";
    return text;
}
