#include "rom_set_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "paths.h"

namespace {

std::string withSlash(const std::string& directory) {
    return directory.empty() || directory.back() == '/' ? directory : directory + "/";
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

bool isDirectory(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// `directory` as messages show it: absolute, links resolved, with its final '/'.
std::string shownDirectory(const std::string& directory) {
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(directory, error), error);
    return withSlash(error ? directory : resolved.string());
}

bool sameDirectory(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

bool fitsTheBoard(const std::string& prefix) { return prefix.size() < kPathSize; }

// 1234567 as "1,234,567".
std::string withThousands(size_t number) {
    std::string digits = std::to_string(number);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

// The six names as a sentence lists them: "A, B, C, D, E and F".
std::string fileList() {
    std::string list;
    for (size_t k = 0; k < kRomSetNames.size(); ++k)
        list += (k == 0 ? "" : k + 1 == kRomSetNames.size() ? " and " : ", ") + std::string(kRomSetNames[k]);
    return list;
}

}  // namespace

std::string romSetDirectoryProblem(const std::string& directory) {
    std::string reason;
    for (const char* name : kRomSetNames)
        if (!rom_file_usable(withSlash(directory) + name, reason)) return reason;
    return "";
}

RomSetPlace locateRomSet(const std::string& given, const std::string& invokedAs, const std::string& realProgram,
                         const std::vector<std::string>& dataDirs) {
    RomSetPlace place;
    if (!given.empty()) {
        place.given = true;
        if (isDirectory(given)) {
            place.prefix = withSlash(given);
            place.searched = {shownDirectory(given)};
        } else {
            place.prefix = directoryOf(given);
            place.searched = {shown_path(given)};
        }
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
    std::vector<std::string> installed;
    for (const std::string& data : dataDirs) installed.push_back(withSlash(data) + "bevorel/");
    installed.push_back(std::filesystem::path(programDirectory + "../share/bevorel/").lexically_normal().string());
    for (const std::string& dir : installed) {
        const bool seen = std::any_of(candidates.begin(), candidates.end(), [&](const std::string& c) {
            return shownDirectory(c) == shownDirectory(dir) || sameDirectory(c, dir);
        });
        if (!seen && fitsTheBoard(dir)) candidates.push_back(dir);
    }
    for (const std::string& candidate : candidates) {
        place.searched.push_back(shownDirectory(candidate + "Roms"));
        if (place.prefix.empty() && romSetDirectoryProblem(candidate + "Roms").empty()) place.prefix = candidate;
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

std::string missingRomSetText(const RomSetPlace& place, const std::string& reason) {
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
    if (!reason.empty()) text += "\n\n" + reason + ".";
    const std::string size = withThousands(kRomFileSize);
    text += "\n\nA ROM set is six files of at least " + size + " bytes each (exactly " + size + " in a .zip): " +
            fileList() +
            ". Start the program with their directory, one of them or a .zip of them (bevorel DIR, FILE or "
            "ZIP), or drop one of those on this window.";
    return text;
}
