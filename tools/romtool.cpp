// romtool: builds and inspects the board's ROM set files.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "romset/file_io.h"
#include "romset/layout.h"
#include "romset/program_split.h"
#include "romset/rom_error.h"
#include "romset/sheet_png.h"
#include "romset/tile_codec.h"

using namespace romset;

namespace {

std::string usage() {
    const std::string program = std::string("DIR/") + kEvenProgramFile + " and DIR/" + kOddProgramFile;
    const std::string graphics = std::string("DIR/") + kGraphicsFiles[0] + " ... DIR/" + kGraphicsFiles[3];
    return "usage: romtool COMMAND ARGUMENTS\n"
           "  split PROGRAM.bin DIR     68000 program image (at most 256 KiB) -> " + program + "\n"
           "  join DIR PROGRAM.bin      " + program + " -> the 256 KiB program image\n"
           "  tiles SHEET.png DIR       tile sheet -> " + graphics + "\n"
           "  sheet DIR SHEET.png [N]   " + graphics + " -> tile sheet of N rows of 16 tiles\n"
           "                            (default: up to the last tile that is not empty)\n"
           "  check DIR                 lists the six files of the ROM set in DIR\n"
           "A tile sheet is a PNG 256 pixels wide; pixel value n is the grey level 17 x n.\n";
}

void makeDirectory(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) throw RomError("cannot create directory " + dir + ": " + error.message());
}

GraphicsRoms readGraphics(const std::string& dir) {
    GraphicsRoms roms;
    for (std::size_t n = 0; n < 4; ++n) roms[n] = readFile(joinPath(dir, kGraphicsFiles[n]));
    return roms;
}

int split(const std::string& programPath, const std::string& dir) {
    const auto image = readFile(programPath);
    const ProgramRoms roms = splitProgram(image);
    makeDirectory(dir);
    writeFile(joinPath(dir, kEvenProgramFile), roms.even);
    writeFile(joinPath(dir, kOddProgramFile), roms.odd);
    std::printf("%s: %zu bytes of program (%zu free) -> %s, %s\n", programPath.c_str(), image.size(),
                kProgramMax - image.size(), kEvenProgramFile, kOddProgramFile);
    return 0;
}

int join(const std::string& dir, const std::string& programPath) {
    const auto image = joinProgram(readFile(joinPath(dir, kEvenProgramFile)), readFile(joinPath(dir, kOddProgramFile)));
    writeFile(programPath, image);
    return 0;
}

int tiles(const std::string& sheetPath, const std::string& dir) {
    const TileSheet sheet = readSheetPng(sheetPath);
    const GraphicsRoms roms = encodeTiles(sheet);
    makeDirectory(dir);
    for (std::size_t n = 0; n < 4; ++n) writeFile(joinPath(dir, kGraphicsFiles[n]), roms[n]);
    std::printf("%s: %d tiles -> %s-%s\n", sheetPath.c_str(), sheet.tileCount(), kGraphicsFiles[0], kGraphicsFiles[3]);
    return 0;
}

int sheet(const std::string& dir, const std::string& sheetPath, const char* rowsText) {
    const GraphicsRoms roms = readGraphics(dir);
    int rows = usedRows(roms);
    if (rowsText) {
        char* end = nullptr;
        const long n = std::strtol(rowsText, &end, 10);
        if (*rowsText == '\0' || *end != '\0' || n < 1 || n > kSheetMaxRows)
            throw RomError(std::string("the row count must be a number from 1 to 256, not \"") + rowsText + "\"");
        rows = int(n);
    }
    writeSheetPng(sheetPath, decodeTiles(roms, rows));
    std::printf("%s: tiles 0-%d\n", sheetPath.c_str(), rows * kSheetColumns - 1);
    return 0;
}

int check(const std::string& dir) {
    bool complete = true;
    const char* names[6] = {kEvenProgramFile, kOddProgramFile, kGraphicsFiles[0], kGraphicsFiles[1],
                            kGraphicsFiles[2], kGraphicsFiles[3]};
    std::vector<uint8_t> files[6];
    for (int n = 0; n < 6; ++n) {
        const std::string path = joinPath(dir, names[n]);
        try {
            files[n] = readFile(path);
        } catch (const RomError& error) {
            std::printf("%-12s missing (%s)\n", names[n], error.what());
            complete = false;
            continue;
        }
        const bool ok = files[n].size() >= kRomFileSize;
        std::printf("%-12s %8zu bytes", names[n], files[n].size());
        if (!ok) std::printf("  too short: needs %zu", kRomFileSize);
        std::printf("\n");
        complete = complete && ok;
    }
    if (!complete) {
        std::printf("the ROM set in %s is not complete\n", dir.c_str());
        return 1;
    }
    const auto image = joinProgram(files[0], files[1]);
    auto longAt = [&](std::size_t a) {
        return unsigned(image[a]) << 24 | unsigned(image[a + 1]) << 16 | unsigned(image[a + 2]) << 8 | image[a + 3];
    };
    std::printf("reset: stack pointer 0x%08X, program counter 0x%08X\n", longAt(0), longAt(4));
    std::printf("tiles: %d rows of 16 in use\n", usedRows({files[2], files[3], files[4], files[5]}));
    return 0;
}

int run(const std::vector<std::string>& args) {
    const auto n = args.size();
    const std::string command = n ? args[0] : "";
    if (command == "split" && n == 3) return split(args[1], args[2]);
    if (command == "join" && n == 3) return join(args[1], args[2]);
    if (command == "tiles" && n == 3) return tiles(args[1], args[2]);
    if (command == "sheet" && (n == 3 || n == 4)) return sheet(args[1], args[2], n == 4 ? args[3].c_str() : nullptr);
    if (command == "check" && n == 2) return check(args[1]);
    std::fputs(usage().c_str(), stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const RomError& error) {
        std::fprintf(stderr, "romtool: %s\n", error.what());
        return 1;
    }
}
