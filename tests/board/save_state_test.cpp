// Save-state images: the layout against a reviewed image, each way a
// bad image is refused, and the ROM set's hash against zlib. (That a restored
// machine runs on as the saved one did is the demo's and the state fuzzer's.)
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>
#include <vector>

#include "board.h"
#include "little_endian.h"
#include "save_state.h"

namespace {

constexpr uint64_t kHash = 0x1122334455667788ull;
constexpr size_t kBody = save_state::kHeaderSize;
constexpr size_t kNext = kBody + 86 + 2 * 8192 + 2 * 3840 + 512 + 512 + 6;  // NextInterrupt

// A state whose every field tells by its values which field and which element it is.
BoardState knownState() {
    BoardState s{};
    for (uint32_t i = 0; i < 8; ++i)
        s.dreg[i] = 0xD0D0D000 + i, s.areg[i] = 0xA0A0A000 + i, s.interrupts[i] = static_cast<uint8_t>(0x10 + i);
    s.asp = 0x5AAA5AAA, s.pc = 0x00C0FFEE, s.odometer = 0x0D0E0F10, s.sr = 0x2714;
    for (uint16_t i = 0; i < 8192; ++i) s.workRam[i] = i;
    for (uint16_t i = 0; i < 3840; ++i) s.spriteRam[i] = static_cast<uint16_t>(0x8000 + i);
    for (uint16_t i = 0; i < 512; ++i) s.paletteRam[i] = static_cast<uint8_t>(i);
    for (uint16_t i = 0; i < 256; ++i) s.drawingPalette[i] = static_cast<uint16_t>(0x4000 + i);
    for (uint8_t i = 0; i < 6; ++i) s.inputPorts[i] = static_cast<uint8_t>(0xE0 + i);
    s.nextInterrupt = 27, s.interruptEnable = 0x1E1E, s.irq4Ack = 0x4444, s.irq3Ack = 0x3333, s.irq2Ack = 0x2222;
    s.watchdog = 0xDDDD, s.testMode = 1, s.speed = Speed::Fps30;
    return s;
}

// Today's format (version 1): the image of knownState() for kHash, reviewed
// byte by byte against the table of docs/formats.md. It must load in every later version.
Bytes reviewedImage() {
    std::ifstream file(BOARD_TEST_DATA "/state_v1.bin", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void setBodyField(Bytes& image, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) image.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    const uint32_t crc = crc32(0, image.data() + kBody, static_cast<uInt>(image.size() - kBody));
    for (int i = 0; i < 4; ++i) image[kBody - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

TEST(SaveStateImage, IsTheReviewedImageAndDecodesToTheSameState) {
    const Bytes image = reviewedImage();
    ASSERT_EQ(image.size(), 25222u);
    EXPECT_EQ(encodeState(knownState(), kHash), image);
    BoardState decoded{};
    std::string error;
    ASSERT_TRUE(decodeState(image.data(), image.size(), kHash, decoded, error)) << error;
    EXPECT_EQ(encodeState(decoded, kHash), image);
}

// A later format as the field list makes one: today's fields and one more,
// of version 2, whose default stands in for it in older images.
struct LaterState : BoardState {
    uint16_t added = 0x1234;
};
constexpr auto kLaterFields =
    std::tuple_cat(save_state::kFields, std::tuple{save_state::field(2, &LaterState::added)});

TEST(SaveStateImage, ALaterFormatReadsTodaysImageWithTheNewFieldsDefault) {
    const Bytes today = reviewedImage();
    LaterState read;
    read.added = 0;
    std::string error;
    ASSERT_TRUE(save_state::decodeImage(kLaterFields, 2, today.data(), today.size(), kHash, read, error)) << error;
    EXPECT_EQ(read.added, 0x1234);
    EXPECT_EQ(encodeState(read, kHash), today);
    read.added = 0xBEEF;
    const Bytes later = save_state::encodeImage(kLaterFields, read, 2, kHash);
    EXPECT_EQ(Bytes(later.begin() + 28, later.end() - 2), Bytes(today.begin() + 28, today.end())) << "v1 fields first";
    LaterState back;
    ASSERT_TRUE(save_state::decodeImage(kLaterFields, 2, later.data(), later.size(), kHash, back, error)) << error;
    EXPECT_EQ(back.added, 0xBEEF);
}

// One row a way of failing; rows without an error: edge values to be taken.
TEST(SaveStateImage, RefusesEachBadImageWithOneLineAndTakesEveryValidValue) {
    using Spoil = std::function<void(Bytes&)>;
    auto field = [](size_t at, uint32_t value, int bytes) -> Spoil {
        return [=](Bytes& i) { setBodyField(i, at < kBody ? i.size() - at : at, value, bytes); };
    };
    const struct {
        Spoil spoil;
        uint64_t loadedHash;
        std::string error;
    } rows[] = {
        {[](Bytes& i) { i.resize(4); }, kHash, "is not a save state (it does not start with the state signature)"},
        {[](Bytes& i) { i[0] = 'b'; }, kHash, "is not a save state (it does not start with the state signature)"},
        {[](Bytes& i) { i.resize(20); }, kHash, "is cut short: 20 bytes, less than its 28-byte header"},
        {[](Bytes& i) { i[8] = 2; }, kHash,
         "was saved by a newer version of the program (state format 2; this one reads format 1)"},
        {[](Bytes& i) { i[8] = 0; }, kHash, "has an unknown state format 0"},
        {[](Bytes&) {}, kHash + 1, "belongs to another ROM set (1122334455667788; the loaded one is 1122334455667789)"},
        {[](Bytes& i) { i[20] ^= 3; }, kHash, "is damaged: its header gives a body of 25193 bytes, the format has 25194"},
        {[](Bytes& i) { i.pop_back(); }, kHash, "is cut short: 25221 bytes where a state has 25222"},
        {[](Bytes& i) { i.push_back(0); }, kHash, "is too long: 25223 bytes where a state has 25222"},
        {[](Bytes& i) { i[kBody + 100] ^= 0x10; }, kHash, "is damaged: the CRC-32 of its body is "},
        {field(kBody + 84, 0x2754, 2), kHash, "is damaged: its SR 0x2754 has bits the 68000 does not have"},
        {field(kNext, 25, 2), kHash, "is damaged: its next interrupt vector 25 is not 0, 26, 27 or 28"},
        {field(kNext, 29, 2), kHash, "is damaged: its next interrupt vector 29 is not 0, 26, 27 or 28"},
        {field(2, 2, 1), kHash, "is damaged: its service-mode flag is 2, not 0 or 1"},
        {field(1, 3, 1), kHash, "is damaged: its speed 3 is not 0 (60 fps), 1 (30 fps) or 2 (unlimited)"},
        {field(kBody + 84, 0xA71F, 2), kHash, ""},  // every SR bit the 68000 has
        {field(kNext, 0, 2), kHash, ""},
        {field(kNext, 26, 2), kHash, ""},
        {field(kNext, 28, 2), kHash, ""},
        {field(2, 0, 1), kHash, ""},
        {field(1, 2, 1), kHash, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error.empty() ? "accepted row" : row.error);
        Bytes image = encodeState(knownState(), kHash);
        row.spoil(image);
        BoardState target = knownState();
        target.dreg[0] = 0xDEADBEEF;
        std::string error;
        const bool taken = decodeState(image.data(), image.size(), row.loadedHash, target, error);
        if (row.error.empty()) {
            EXPECT_TRUE(taken) << error;
            EXPECT_EQ(encodeState(target, kHash), image);
            continue;
        }
        EXPECT_FALSE(taken);
        EXPECT_EQ(error.substr(0, row.error.size()), row.error);
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(target.dreg[0], 0xDEADBEEF) << "the state was changed";
    }
}

TEST(RomSetHash, IsTheCrcOfTheProgramAsThe68000ReadsItThenOfTheGraphics) {
    const auto saved = std::make_pair(codeRom, tilesRom);
    std::vector<uint16_t> program(0x20000);
    Bytes bigEndian, graphics(0x100000);
    for (size_t i = 0; i < program.size(); ++i) {
        program[i] = static_cast<uint16_t>(i * 0x9E37 + 1);
        bigEndian.insert(bigEndian.end(), {uint8_t(program[i] >> 8), uint8_t(program[i])});
    }
    for (size_t i = 0; i < graphics.size(); ++i) graphics[i] = static_cast<uint8_t>(i % 13);
    codeRom = reinterpret_cast<unsigned char*>(program.data());
    tilesRom = graphics.data();
    EXPECT_EQ(pm_romSetHash(), uint64_t{crc32(0, bigEndian.data(), static_cast<uInt>(bigEndian.size()))} << 32 |
                                   crc32(0, graphics.data(), static_cast<uInt>(graphics.size())));
    tilesRom = nullptr;
    EXPECT_EQ(pm_romSetHash(), 0u) << "no ROM set";
    codeRom = saved.first;
    tilesRom = saved.second;
}

}  // namespace
