// The romset library: program split, tile layout, tile sheets as PNG.
#include <gtest/gtest.h>

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

TEST(ProgramSplit, EvenBytesGoTo3AOddBytesTo2APaddedWithFF) {
    const ProgramRoms roms = splitProgram({0x12, 0x34, 0x56});
    ASSERT_EQ(roms.even.size(), kRomFileSize);
    ASSERT_EQ(roms.odd.size(), kRomFileSize);
    EXPECT_EQ(roms.even[0], 0x12);
    EXPECT_EQ(roms.odd[0], 0x34);
    EXPECT_EQ(roms.even[1], 0x56);
    EXPECT_EQ(roms.odd[1], 0xFF);
    EXPECT_EQ(roms.even[kRomFileSize - 1], 0xFF);
}

TEST(ProgramSplit, RoundTripsEverySizeUpTo256KiB) {
    for (std::size_t size : {std::size_t(1), std::size_t(200001), kProgramMax}) {
        const auto image = randomBytes(size, unsigned(size));
        const ProgramRoms roms = splitProgram(image);
        const auto joined = joinProgram(roms.even, roms.odd);
        ASSERT_EQ(joined.size(), kProgramMax);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), joined.begin())) << size;
        EXPECT_TRUE(std::all_of(joined.begin() + std::ptrdiff_t(size), joined.end(), [](uint8_t b) { return b == 0xFF; }));
    }
}

TEST(ProgramSplit, RefusesProgramsOver256KiBAndEmptyOnes) {
    EXPECT_NE(errorOf([] { splitProgram(std::vector<uint8_t>(kProgramMax + 1)); }).find("262145 bytes"), std::string::npos);
    EXPECT_NE(errorOf([] { splitProgram({}); }).find("empty"), std::string::npos);
    EXPECT_NE(errorOf([] { joinProgram(std::vector<uint8_t>(kRomFileSize), std::vector<uint8_t>(100)); }).find("100 bytes"),
              std::string::npos);
}

// The board's layout: 16 x 16 tiles as four 8 x 8 quarters (top-left,
// top-right, bottom-left, bottom-right), two pixels a byte with the left one
// in the high nibble, tile t at offset 128 x (t mod 1024) of file t / 1024.
TEST(TileCodec, PlacesPixelsWhereTheBoardReadsThem) {
    TileSheet sheet = makeSheet(256);
    const int tile = 1025;  // CH1, offset 128
    const int left = (tile % 16) * 16, top = (tile / 16) * 16;
    sheet.at(left + 9, top + 3) = 0x7;    // top-right quarter, row 3, column 1: low nibble of byte 32 + 12
    sheet.at(left + 0, top + 8) = 0xA;    // bottom-left quarter, row 0, column 0: high nibble of byte 64
    sheet.at(left + 15, top + 15) = 0x5;  // bottom-right quarter, last byte, low nibble
    const GraphicsRoms roms = encodeTiles(sheet);
    EXPECT_EQ(roms[1][128 + 44], 0x07);
    EXPECT_EQ(roms[1][128 + 64], 0xA0);
    EXPECT_EQ(roms[1][128 + 127], 0x05);
    int nonZero = 0;
    for (const auto& file : roms) nonZero += int(std::count_if(file.begin(), file.end(), [](uint8_t b) { return b; }));
    EXPECT_EQ(nonZero, 3);
    EXPECT_EQ(usedRows(roms), tile / 16 + 1);
}

TEST(TileCodec, SheetRoundTripsThroughTheFourFiles) {
    TileSheet sheet = makeSheet(256);
    const auto noise = randomBytes(sheet.pixels.size(), 7);
    for (std::size_t i = 0; i < noise.size(); ++i) sheet.pixels[i] = noise[i] & 0x0F;
    const GraphicsRoms roms = encodeTiles(sheet);
    EXPECT_EQ(decodeTiles(roms, 256).pixels, sheet.pixels);

    // A shorter sheet: the tiles after it stay empty.
    TileSheet small = makeSheet(3);
    std::copy_n(sheet.pixels.begin(), small.pixels.size(), small.pixels.begin());
    const GraphicsRoms smallRoms = encodeTiles(small);
    EXPECT_EQ(decodeTiles(smallRoms, 3).pixels, small.pixels);
    EXPECT_TRUE(std::all_of(smallRoms[0].begin() + 3 * 16 * 128, smallRoms[0].end(), [](uint8_t b) { return !b; }));
}

TEST(TileCodec, RefusesShortFilesAndBadRowCounts) {
    GraphicsRoms roms;
    for (auto& file : roms) file.assign(kRomFileSize, 0);
    roms[2].resize(1000);
    EXPECT_NE(errorOf([&] { decodeTiles(roms, 1); }).find("CH2 has 1000 bytes"), std::string::npos);
    EXPECT_FALSE(errorOf([] { makeSheet(0); }).empty());
    EXPECT_FALSE(errorOf([] { makeSheet(257); }).empty());
}

void writeRgba(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& colour) {
    std::vector<uint8_t> rgba(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            uint8_t* p = &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
            p[0] = uint8_t(c >> 24), p[1] = uint8_t(c >> 16), p[2] = uint8_t(c >> 8), p[3] = uint8_t(c);
        }
    ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4));
}

TEST(SheetPng, GreyLevelsAreThePixelValues) {
    TempDir dir;
    // Grey 17 x n is value n; a fully transparent pixel is 0 whatever its colour.
    writeRgba(dir / "in.png", 256, 16, [](int x, int y) {
        if (y == 1) return 0xFF00FF00u;
        const uint32_t g = uint32_t(x % 16) * 17;
        return g << 24 | g << 16 | g << 8 | 0xFF;
    });
    const TileSheet sheet = readSheetPng(dir / "in.png");
    ASSERT_EQ(sheet.rows, 1);
    EXPECT_EQ(sheet.at(5, 0), 5);
    EXPECT_EQ(sheet.at(15, 2), 15);
    EXPECT_EQ(sheet.at(7, 1), 0);

    writeSheetPng(dir / "out.png", sheet);
    EXPECT_EQ(readSheetPng(dir / "out.png").pixels, sheet.pixels);
}

TEST(SheetPng, RefusesWrongSizesColourCountsAndColours) {
    TempDir dir;
    auto grey = [](int, int) { return 0x111111FFu; };
    writeRgba(dir / "narrow.png", 128, 16, grey);
    EXPECT_NE(errorOf([&] { readSheetPng(dir / "narrow.png"); }).find("128 x 16 pixels"), std::string::npos);
    writeRgba(dir / "ragged.png", 256, 20, grey);
    EXPECT_NE(errorOf([&] { readSheetPng(dir / "ragged.png"); }).find("256 pixels wide"), std::string::npos);
    writeRgba(dir / "photo.png", 256, 16, [](int x, int) { return uint32_t(x) << 24 | 0xFF; });
    EXPECT_NE(errorOf([&] { readSheetPng(dir / "photo.png"); }).find("has 256 colours"), std::string::npos);
    writeRgba(dir / "red.png", 256, 16, [](int x, int y) { return x == 3 && y == 4 ? 0xFF0000FFu : 0x000000FFu; });
    EXPECT_NE(errorOf([&] { readSheetPng(dir / "red.png"); }).find("#FF0000FF at (3, 4)"), std::string::npos);
    EXPECT_NE(errorOf([&] { readSheetPng(dir / "missing.png"); }).find("cannot read"), std::string::npos);
}

}  // namespace
