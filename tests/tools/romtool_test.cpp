// The romtool program as a user runs it: exit codes, files written, and
// nothing written when the input is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/stat.h>

#include "romset/file_io.h"
#include "romset/sheet_png.h"
#include "romset/tile_codec.h"
#include "temp_dir.h"

namespace {

int romtool(const std::string& arguments) {
    const std::string command = std::string(ROMTOOL_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void writeBytes(const std::string& path, std::size_t count) {
    std::mt19937 random(1);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) b = uint8_t(random());
    romset::writeFile(path, bytes);
}

TEST(Romtool, SplitThenJoinGivesTheProgramBack) {
    TempDir dir;
    writeBytes(dir / "program.bin", 5000);
    ASSERT_EQ(romtool("split " + (dir / "program.bin") + " " + (dir / "Roms")), 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "Roms/PELLMORA.3A"), 131072u);
    EXPECT_EQ(std::filesystem::file_size(dir / "Roms/PELLMORA.2A"), 131072u);
    ASSERT_EQ(romtool("join " + (dir / "Roms") + " " + (dir / "joined.bin")), 0);
    const auto program = romset::readFile(dir / "program.bin");
    const auto joined = romset::readFile(dir / "joined.bin");
    ASSERT_EQ(joined.size(), 262144u);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), joined.begin()));
}

TEST(Romtool, RefusedInputsWriteNothing) {
    TempDir dir;
    writeBytes(dir / "big.bin", 262145);
    EXPECT_EQ(romtool("split " + (dir / "big.bin") + " " + (dir / "Roms")), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "Roms"));

    romset::TileSheet sheet = romset::makeSheet(2);
    romset::writeSheetPng(dir / "ok.png", sheet);
    writeBytes(dir / "not-a-png.png", 300);
    EXPECT_EQ(romtool("tiles " + (dir / "not-a-png.png") + " " + (dir / "Gfx")), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "Gfx"));
    EXPECT_EQ(romtool("sheet " + (dir / "Gfx") + " " + (dir / "out.png")), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
    EXPECT_EQ(romtool("frobnicate"), 2);
    EXPECT_EQ(romtool("tiles " + (dir / "ok.png")), 2);
}

TEST(Romtool, TilesThenSheetGivesTheSheetBack) {
    TempDir dir;
    romset::TileSheet sheet = romset::makeSheet(5);
    std::mt19937 random(3);
    for (auto& p : sheet.pixels) p = uint8_t(random() & 15);
    romset::writeSheetPng(dir / "sheet.png", sheet);
    ASSERT_EQ(romtool("tiles " + (dir / "sheet.png") + " " + (dir / "Roms")), 0);
    for (const char* name : {"CH0", "CH1", "CH2", "CH3"})
        EXPECT_EQ(std::filesystem::file_size(dir.path() / "Roms" / name), 131072u) << name;
    ASSERT_EQ(romtool("sheet " + (dir / "Roms") + " " + (dir / "back.png")), 0);
    EXPECT_EQ(romset::readSheetPng(dir / "back.png").pixels, sheet.pixels);
    ASSERT_EQ(romtool("sheet " + (dir / "Roms") + " " + (dir / "two.png") + " 2"), 0);
    EXPECT_EQ(romset::readSheetPng(dir / "two.png").rows, 2);
    EXPECT_EQ(romtool("sheet " + (dir / "Roms") + " " + (dir / "bad.png") + " 0"), 1);
}

TEST(Romtool, CheckReportsCompleteAndIncompleteSets) {
    TempDir dir;
    writeBytes(dir / "program.bin", 64);
    ASSERT_EQ(romtool("split " + (dir / "program.bin") + " " + (dir / "Roms")), 0);
    EXPECT_EQ(romtool("check " + (dir / "Roms")), 1);  // no graphics yet
    romset::writeSheetPng(dir / "sheet.png", romset::makeSheet(1));
    ASSERT_EQ(romtool("tiles " + (dir / "sheet.png") + " " + (dir / "Roms")), 0);
    EXPECT_EQ(romtool("check " + (dir / "Roms")), 0);
    writeBytes(dir / "Roms/CH3", 1000);
    EXPECT_EQ(romtool("check " + (dir / "Roms")), 1);
    // A FIFO with no writer is named, not waited on (the test would hang).
    std::filesystem::remove(dir / "Roms/CH2");
    ASSERT_EQ(mkfifo((dir / "Roms/CH2").c_str(), 0600), 0);
    EXPECT_EQ(romtool("check " + (dir / "Roms")), 1);
}

}  // namespace
