// Save-state images: the layout against an encoder written here, each way a
// bad image is refused, and the ROM set's hash against zlib. (That a restored
// machine runs on as the saved one did is the demo's and the state fuzzer's.)
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <random>
#include <span>
#include <vector>

#include "board.h"
#include "little_endian.h"
#include "save_state.h"

namespace {

constexpr uint64_t kHash = 0x1122334455667788ull;
constexpr size_t kBody = save_state::kHeaderSize;
constexpr size_t kNext = kBody + 86 + 2 * 8192 + 2 * 3840 + 512 + 512 + 6;  // NextInterrupt

// A valid state: random bytes, and the ranged fields in range.
BoardState patternState() {
    BoardState s;
    std::mt19937 random(5);
    for (auto& byte : std::span(reinterpret_cast<uint8_t*>(&s), sizeof s)) byte = static_cast<uint8_t>(random());
    s.sr = 0x2714, s.nextInterrupt = 27, s.testMode = 1, s.speed = Speed::Fps30;
    return s;
}

// The documented layout: a 28-byte header, then little-endian fields in order.
Bytes expectedImage(const BoardState& s, uint64_t hash) {
    Bytes body;
    for (uint32_t v : s.dreg) put(body, v, 4);
    for (uint32_t v : s.areg) put(body, v, 4);
    for (uint32_t v : {s.asp, s.pc, s.odometer}) put(body, v, 4);
    for (uint8_t v : s.interrupts) put(body, v, 1);
    put(body, s.sr, 2);
    for (uint16_t v : s.workRam) put(body, v, 2);
    for (uint16_t v : s.spriteRam) put(body, v, 2);
    for (uint8_t v : s.paletteRam) put(body, v, 1);
    for (uint16_t v : s.drawingPalette) put(body, v, 2);
    for (uint8_t v : s.inputPorts) put(body, v, 1);
    for (uint16_t v : {s.nextInterrupt, s.interruptEnable, s.irq4Ack, s.irq3Ack, s.irq2Ack, s.watchdog}) put(body, v, 2);
    put(body, s.testMode, 1);
    put(body, static_cast<uint8_t>(s.speed), 1);
    Bytes image{'B', 'V', 'S', 'T', 'A', 'T', 'E', 0x1A};
    put(image, 1, 4);
    put(image, hash, 8);
    put(image, body.size(), 4);
    put(image, crc32(0, body.data(), static_cast<uInt>(body.size())), 4);
    image.insert(image.end(), body.begin(), body.end());
    return image;
}

void setBodyField(Bytes& image, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) image.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    const uint32_t crc = crc32(0, image.data() + kBody, static_cast<uInt>(image.size() - kBody));
    for (int i = 0; i < 4; ++i) image[kBody - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

TEST(SaveStateImage, IsTheDocumentedLayoutAndDecodesToTheSameState) {
    const Bytes image = encodeState(patternState(), kHash);
    ASSERT_EQ(image.size(), 25222u);
    EXPECT_EQ(image, expectedImage(patternState(), kHash));
    BoardState decoded{};
    std::string error;
    ASSERT_TRUE(decodeState(image.data(), image.size(), kHash, decoded, error)) << error;
    EXPECT_EQ(encodeState(decoded, kHash), image);
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
        Bytes image = encodeState(patternState(), kHash);
        row.spoil(image);
        BoardState target = patternState();
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
