// The romset library and each refusal. (What split, tiles and the sheet
// reader make for the board is the golden frames': the ROM build uses them.)
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <stb/stb_image_write.h>

#include "romset/layout.h"
#include "romset/program_split.h"
#include "romset/rom_error.h"
#include "romset/sheet_png.h"
#include "romset/tile_codec.h"
#include "temp_dir.h"

using namespace romset;

namespace {

std::vector<uint8_t> randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = uint8_t(random());
    return bytes;
}

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RomError& error) {
        return error.what();
    }
    return "";
}

TEST(ProgramSplit, JoinGivesTheProgramBackPaddedWithFFAndBadSizesAreRefused) {
    for (std::size_t size : {std::size_t(1), std::size_t(200001), kProgramMax}) {
        const auto image = randomBytes(size, unsigned(size));
        const ProgramRoms roms = splitProgram(image);
        const auto joined = joinProgram(roms.even, roms.odd);
        ASSERT_EQ(joined.size(), kProgramMax);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), joined.begin())) << size;
        EXPECT_TRUE(std::all_of(joined.begin() + std::ptrdiff_t(size), joined.end(), [](uint8_t b) { return b == 0xFF; }));
    }
    EXPECT_NE(errorOf([] { splitProgram(std::vector<uint8_t>(kProgramMax + 1)); }).find("262145 bytes"), std::string::npos);
    EXPECT_NE(errorOf([] { splitProgram({}); }).find("empty"), std::string::npos);
    EXPECT_NE(errorOf([] { joinProgram(std::vector<uint8_t>(kRomFileSize), std::vector<uint8_t>(100)); }).find("100 bytes"),
              std::string::npos);
}

TEST(TileCodec, SheetsRoundTripThroughTheFourFilesAndBadSizesAreRefused) {
    TileSheet sheet = makeSheet(256);
    const auto noise = randomBytes(sheet.pixels.size(), 7);
    for (std::size_t i = 0; i < noise.size(); ++i) sheet.pixels[i] = noise[i] & 0x0F;
    EXPECT_EQ(decodeTiles(encodeTiles(sheet), 256).pixels, sheet.pixels);
    // A shorter sheet: the tiles after it stay empty.
    TileSheet small = makeSheet(3);
    std::copy_n(sheet.pixels.begin(), small.pixels.size(), small.pixels.begin());
    GraphicsRoms roms = encodeTiles(small);
    EXPECT_EQ(decodeTiles(roms, 3).pixels, small.pixels);
    EXPECT_EQ(usedRows(roms), 3);
    EXPECT_TRUE(std::all_of(roms[0].begin() + 3 * 16 * 128, roms[0].end(), [](uint8_t b) { return !b; }));

    roms[2].resize(1000);
    EXPECT_NE(errorOf([&] { decodeTiles(roms, 1); }).find("CH2 has 1000 bytes"), std::string::npos);
    EXPECT_FALSE(errorOf([] { makeSheet(0); }).empty());
    EXPECT_FALSE(errorOf([] { makeSheet(257); }).empty());
}

void writeRgba(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& colour) {
    std::vector<uint8_t> rgba(std::size_t(width) * std::size_t(height) * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = uint8_t(colour(int(i / 4 % width), int(i / 4 / width)) >> (24 - 8 * (i % 4)));
    ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4));
}

TEST(SheetPng, GreyLevelsAreThePixelValuesAndOtherImagesAreRefused) {
    TempDir dir;
    // Grey 17 x n is value n; a fully transparent pixel is 0 whatever its colour.
    writeRgba(dir / "in.png", 256, 16, [](int x, int y) {
        const uint32_t g = uint32_t(x % 16) * 17;
        return y == 1 ? 0xFF00FF00u : g << 24 | g << 16 | g << 8 | 0xFF;
    });
    const TileSheet sheet = readSheetPng(dir / "in.png");
    ASSERT_EQ(sheet.rows, 1);
    EXPECT_EQ(sheet.at(5, 0), 5);
    EXPECT_EQ(sheet.at(15, 2), 15);
    EXPECT_EQ(sheet.at(7, 1), 0);
    writeSheetPng(dir / "out.png", sheet);
    EXPECT_EQ(readSheetPng(dir / "out.png").pixels, sheet.pixels);

    auto grey = [](int, int) { return 0x111111FFu; };
    writeRgba(dir / "narrow.png", 128, 16, grey);
    writeRgba(dir / "ragged.png", 256, 20, grey);
    writeRgba(dir / "photo.png", 256, 16, [](int x, int) { return uint32_t(x) << 24 | 0xFF; });
    writeRgba(dir / "red.png", 256, 16, [](int x, int y) { return x == 3 && y == 4 ? 0xFF0000FFu : 0x000000FFu; });
    for (const auto& row : {std::pair{"narrow.png", "128 x 16 pixels"}, {"ragged.png", "256 pixels wide"},
                            {"photo.png", "has 256 colours"}, {"red.png", "#FF0000FF at (3, 4)"},
                            {"missing.png", "cannot read"}})
        EXPECT_NE(errorOf([&] { readSheetPng(dir / row.first); }).find(row.second), std::string::npos) << row.first;
}

}  // namespace
