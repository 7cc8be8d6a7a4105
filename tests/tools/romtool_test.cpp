// The romtool program: each command's status and files; a refusal writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <random>

#include "romset/file_io.h"
#include "romset/sheet_png.h"
#include "romset/tile_codec.h"
#include "temp_dir.h"

namespace {

TEST(Romtool, CommandsTheirStatusAndTheirFiles) {
    TempDir dir;
    std::mt19937 random(1);
    std::vector<uint8_t> program(5000), big(262145);
    for (auto& b : program) b = uint8_t(random());
    romset::writeFile(dir / "program.bin", program);
    romset::writeFile(dir / "big.bin", big);
    romset::writeFile(dir / "not-a-png.png", std::vector<uint8_t>(300, 7));
    romset::TileSheet sheet = romset::makeSheet(5);
    for (auto& p : sheet.pixels) p = uint8_t(random() & 15);
    romset::writeSheetPng(dir / "sheet.png", sheet);
    romset::writeSheetPng(dir / "blank.png", romset::makeSheet(1));
    const struct {
        std::string arguments;
        int status;
        std::string absent;  // a file a refusal must not write
    } rows[] = {
        {"split program.bin Roms", 0, ""},      {"join Roms joined.bin", 0, ""},
        {"check Roms", 1, ""},                  // no graphics yet
        {"split big.bin Big", 1, "Big"},        {"tiles not-a-png.png Gfx", 1, "Gfx"},
        {"sheet Gfx out.png", 1, "out.png"},    {"frobnicate", 2, ""},
        {"tiles sheet.png", 2, ""},             {"tiles sheet.png Roms", 0, ""},
        {"sheet Roms back.png", 0, ""},         {"sheet Roms two.png 2", 0, ""},
        {"sheet Roms bad.png 0", 1, "bad.png"}, {"check Roms", 0, ""},
        {"tiles blank.png Blank", 0, ""},       {"sheet Blank blank-back.png", 0, ""},  // no tile in use
    };
    auto romtool = [&](const std::string& arguments) {
        const std::string command = "cd '" + dir.path().string() + "' && " ROMTOOL_PATH " " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const auto& r : rows) {
        EXPECT_EQ(romtool(r.arguments), r.status) << r.arguments;
        if (!r.absent.empty()) EXPECT_FALSE(std::filesystem::exists(dir / r.absent)) << r.arguments;
    }
    const auto joined = romset::readFile(dir / "joined.bin");
    ASSERT_EQ(joined.size(), 262144u);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), joined.begin()));
    EXPECT_EQ(romset::readSheetPng(dir / "back.png").pixels, sheet.pixels);
    EXPECT_EQ(romset::readSheetPng(dir / "two.png").rows, 2);
    // A FIFO with no writer is named, not waited on (the test would hang).
    std::filesystem::remove(dir / "Roms/CH2");
    ASSERT_EQ(mkfifo((dir / "Roms/CH2").c_str(), 0600), 0);
    EXPECT_EQ(romtool("check Roms"), 1);
}

}  // namespace
