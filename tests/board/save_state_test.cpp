// Save states of the board: the image's layout field by field, every refusal
// of a bad image, the ROM set's hash, and a restored machine that carries on
// exactly as the saved one did (a stopped CPU, pending interrupts, user-mode
// lists, the speed, the picture).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <array>
#include <functional>
#include <vector>

#include "board.h"
#include "frame_program.h"
#include "key_state.h"
#include "save_state.h"
#include "scramble_machine.h"

using namespace frame_test;

namespace {

constexpr uint64_t kHash = 0x1122334455667788ull;
constexpr size_t kBody = save_state::kHeaderSize;  // where the body starts

// A valid state with a different value in every field.
BoardState patternState() {
    BoardState s{};
    for (uint32_t i = 0; i < 8; ++i) {
        s.dreg[i] = 0x01010101u * (i + 1);
        s.areg[i] = 0x10203040u + i;
        s.interrupts[i] = static_cast<uint8_t>(0xA0 + i);
    }
    s.asp = 0xA5A5A5A5;
    s.pc = 0x00123456;
    s.odometer = 0xCAFEF00D;
    s.sr = 0x2714;
    for (size_t i = 0; i < std::size(s.workRam); ++i) s.workRam[i] = static_cast<uint16_t>(i * 3 + 1);
    for (size_t i = 0; i < std::size(s.spriteRam); ++i) s.spriteRam[i] = static_cast<uint16_t>(0x8000 + i);
    for (size_t i = 0; i < std::size(s.paletteRam); ++i) s.paletteRam[i] = static_cast<uint8_t>(i * 7);
    for (size_t i = 0; i < std::size(s.drawingPalette); ++i) s.drawingPalette[i] = static_cast<uint16_t>(i * 0x81);
    const uint8_t ports[6] = {0x7E, 0x00, 0x7F, 0x00, 0xBD, 0x00};
    std::memcpy(s.inputPorts, ports, 6);
    s.nextInterrupt = 27;
    s.interruptEnable = 0x0101;
    s.irq4Ack = 0x0404;
    s.irq3Ack = 0x0303;
    s.irq2Ack = 0x0202;
    s.watchdog = 0x5A5A;
    s.testMode = 1;
    s.speed = Speed::Fps30;
    return s;
}

uint32_t le(const std::vector<uint8_t>& image, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | image.at(at + i);
    return v;
}

uint32_t crcOfBody(const std::vector<uint8_t>& image) {
    return static_cast<uint32_t>(crc32(0, image.data() + kBody, static_cast<uInt>(image.size() - kBody)));
}

void putLe(std::vector<uint8_t>& image, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) image.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

// A body field changed, with the CRC made right again.
void setBodyField(std::vector<uint8_t>& image, size_t at, uint32_t value, int bytes) {
    putLe(image, at, value, bytes);
    putLe(image, kBody - 4, crcOfBody(image), 4);
}

}  // namespace

TEST(SaveStateImage, HeaderAndBodyAreLittleEndianFieldsInTheirDocumentedOrder) {
    const BoardState s = patternState();
    const std::vector<uint8_t> image = encodeState(s, kHash);
    ASSERT_EQ(image.size(), 25222u);
    EXPECT_EQ(std::memcmp(image.data(), "BVSTATE\x1A", 8), 0);
    EXPECT_EQ(le(image, 8, 4), 1u);
    EXPECT_EQ(le(image, 12, 4), 0x55667788u);
    EXPECT_EQ(le(image, 16, 4), 0x11223344u);
    EXPECT_EQ(le(image, 20, 4), 25194u);
    EXPECT_EQ(le(image, 24, 4), crcOfBody(image));

    size_t at = kBody;
    for (int i = 0; i < 8; ++i, at += 4) EXPECT_EQ(le(image, at, 4), s.dreg[i]) << "D" << i;
    for (int i = 0; i < 8; ++i, at += 4) EXPECT_EQ(le(image, at, 4), s.areg[i]) << "A" << i;
    EXPECT_EQ(le(image, at, 4), s.asp);
    EXPECT_EQ(le(image, at + 4, 4), s.pc);
    EXPECT_EQ(le(image, at + 8, 4), s.odometer);
    at += 12;
    for (int i = 0; i < 8; ++i, ++at) EXPECT_EQ(image[at], s.interrupts[i]) << "interrupt byte " << i;
    EXPECT_EQ(le(image, at, 2), s.sr);
    at += 2;
    EXPECT_EQ(at, kBody + 86);
    EXPECT_EQ(le(image, at, 2), s.workRam[0]);
    EXPECT_EQ(le(image, at + 2 * 8191, 2), s.workRam[8191]);
    at += 2 * 8192;
    EXPECT_EQ(le(image, at, 2), s.spriteRam[0]);
    EXPECT_EQ(le(image, at + 2 * 3839, 2), s.spriteRam[3839]);
    at += 2 * 3840;
    EXPECT_EQ(std::memcmp(&image[at], s.paletteRam, 512), 0);
    at += 512;
    EXPECT_EQ(le(image, at + 2 * 255, 2), s.drawingPalette[255]);
    at += 512;
    EXPECT_EQ(std::memcmp(&image[at], s.inputPorts, 6), 0);
    at += 6;
    const uint16_t words[6] = {s.nextInterrupt, s.interruptEnable, s.irq4Ack, s.irq3Ack, s.irq2Ack, s.watchdog};
    for (int i = 0; i < 6; ++i, at += 2) EXPECT_EQ(le(image, at, 2), words[i]) << "word " << i;
    EXPECT_EQ(image[at], 1) << "service mode";
    EXPECT_EQ(image[at + 1], 1) << "speed: 30 fps";
    EXPECT_EQ(at + 2, image.size());
}

TEST(SaveStateImage, DecodesEveryFieldItEncoded) {
    const BoardState s = patternState();
    const std::vector<uint8_t> image = encodeState(s, kHash);
    BoardState decoded{};
    std::string error;
    ASSERT_TRUE(decodeState(image.data(), image.size(), kHash, decoded, error)) << error;
    EXPECT_EQ(encodeState(decoded, kHash), image);
    EXPECT_EQ(std::memcmp(decoded.workRam, s.workRam, sizeof s.workRam), 0);
    EXPECT_EQ(decoded.speed, Speed::Fps30);
    EXPECT_EQ(decoded.sr, 0x2714);
}

TEST(SaveStateImage, RefusesEveryBadImageWithOneLineAndLeavesTheStateAsItWas) {
    const std::vector<uint8_t> good = encodeState(patternState(), kHash);
    const size_t words = kBody + 86 + 2 * 8192 + 2 * 3840 + 512 + 512 + 6;  // NextInterrupt
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> spoil;
        uint64_t loadedHash;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"empty", [](auto& i) { i.clear(); }, kHash, "is not a save state (it does not start with the state signature)"},
        {"half the signature", [](auto& i) { i.resize(4); }, kHash,
         "is not a save state (it does not start with the state signature)"},
        {"another signature", [](auto& i) { i[0] = 'b'; }, kHash,
         "is not a save state (it does not start with the state signature)"},
        {"cut in the header", [](auto& i) { i.resize(20); }, kHash,
         "is cut short: 20 bytes, less than its 28-byte header"},
        {"a newer format", [](auto& i) { putLe(i, 8, 2, 4); }, kHash,
         "was saved by a newer version of the program (state format 2; this one reads format 1)"},
        {"format 0", [](auto& i) { putLe(i, 8, 0, 4); }, kHash, "has an unknown state format 0"},
        {"another ROM set", [](auto&) {}, 0x1122334455667789ull,
         "belongs to another ROM set (1122334455667788; the loaded one is 1122334455667789)"},
        {"a body length not the format's", [](auto& i) { putLe(i, 20, 25193, 4); }, kHash,
         "is damaged: its header gives a body of 25193 bytes, the format has 25194"},
        {"the header alone", [](auto& i) { i.resize(kBody); }, kHash,
         "is cut short: 28 bytes where a state has 25222"},
        {"one byte short", [](auto& i) { i.pop_back(); }, kHash, "is cut short: 25221 bytes where a state has 25222"},
        {"one byte too many", [](auto& i) { i.push_back(0); }, kHash,
         "is too long: 25223 bytes where a state has 25222"},
        {"a body byte changed", [](auto& i) { i[kBody + 100] ^= 0x10; }, kHash, "CRC"},
        {"the CRC changed", [](auto& i) { i[kBody - 1] ^= 0x01; }, kHash, "CRC"},
        {"an SR bit the 68000 lacks", [](auto& i) { setBodyField(i, kBody + 84, 0x2754, 2); }, kHash,
         "is damaged: its SR 0x2754 has bits the 68000 does not have"},
        {"vector 25 next", [=](auto& i) { setBodyField(i, words, 25, 2); }, kHash,
         "is damaged: its next interrupt vector 25 is not 0, 26, 27 or 28"},
        {"vector 29 next", [=](auto& i) { setBodyField(i, words, 29, 2); }, kHash,
         "is damaged: its next interrupt vector 29 is not 0, 26, 27 or 28"},
        {"service mode 2", [](auto& i) { setBodyField(i, i.size() - 2, 2, 1); }, kHash,
         "is damaged: its service-mode flag is 2, not 0 or 1"},
        {"speed 3", [](auto& i) { setBodyField(i, i.size() - 1, 3, 1); }, kHash,
         "is damaged: its speed 3 is not 0 (60 fps), 1 (30 fps) or 2 (unlimited)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> image = good;
        c.spoil(image);
        BoardState target = patternState();
        target.dreg[0] = 0xDEADBEEF;
        const std::vector<uint8_t> before = encodeState(target, kHash);
        std::string error;
        EXPECT_FALSE(decodeState(image.data(), image.size(), c.loadedHash, target, error));
        if (c.error == "CRC")
            EXPECT_EQ(error.rfind("is damaged: the CRC-32 of its body is ", 0), 0u) << error;
        else
            EXPECT_EQ(error, c.error);
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(encodeState(target, kHash), before) << "the state was changed";
    }
}

TEST(SaveStateImage, TakesEveryValueOfTheRangedFieldsThatTheMachineCanHave) {
    std::vector<uint8_t> image = encodeState(patternState(), kHash);
    const size_t next = kBody + 86 + 2 * 8192 + 2 * 3840 + 512 + 512 + 6;
    std::string error;
    BoardState s;
    for (uint32_t vector : {0u, 26u, 27u, 28u}) {
        setBodyField(image, next, vector, 2);
        EXPECT_TRUE(decodeState(image.data(), image.size(), kHash, s, error)) << error;
    }
    for (uint32_t speed : {0u, 1u, 2u}) {
        setBodyField(image, image.size() - 1, speed, 1);
        EXPECT_TRUE(decodeState(image.data(), image.size(), kHash, s, error)) << error;
        EXPECT_EQ(static_cast<uint32_t>(s.speed), speed);
    }
    setBodyField(image, kBody + 84, 0xA71F, 2);  // every SR bit there is
    EXPECT_TRUE(decodeState(image.data(), image.size(), kHash, s, error)) << error;
    setBodyField(image, image.size() - 2, 0, 1);
    EXPECT_TRUE(decodeState(image.data(), image.size(), kHash, s, error)) << error;
}

namespace {

// The hand-assembled program on the board's own map.
class BoardStates : public ::testing::Test {
protected:
    void SetUp() override {
        installTestMemories();
        NextInterrupt = 0;
        interruptEnable = IRQ4ACK = IRQ3ACK = IRQ2ACK = 0;
        cpucycles_by_frame = 133333;
        clear_key_states();
        s68000init();
        pm_defineMemoryMap();
        testing::internal::CaptureStdout();  // the reset report
        pm_reset();
        testing::internal::GetCapturedStdout();
        setRamWord(kGoFlag, 1);
        setRamWord(kAckFlag, 1);
    }

    // What a frame leaves: the picture, the CPU and the board's memories.
    struct Snapshot {
        std::vector<uint16_t> picture;
        s68000context cpu;
        std::vector<unsigned char> ram, sprites;
        std::vector<uint16_t> palette;
        std::vector<unsigned char> paletteRam, ports;
        uint16_t words[6];  // the interrupt chain's and the watchdog's
        uint32_t cycles;
        unsigned char mode;
        bool operator==(const Snapshot& o) const {
            return picture == o.picture && std::memcmp(&cpu, &o.cpu, sizeof cpu) == 0 && ram == o.ram &&
                   sprites == o.sprites && palette == o.palette && paletteRam == o.paletteRam &&
                   ports == o.ports && std::memcmp(words, o.words, sizeof words) == 0 && cycles == o.cycles &&
                   mode == o.mode;
        }
    };
    static Snapshot snapshot() {
        Snapshot s;
        s.picture.assign(std::begin(render_offscreen), std::end(render_offscreen));
        s68000GetContext(&s.cpu);
        s.ram.assign(onboardRam, onboardRam + 0x4000);
        s.sprites.assign(spriteRam, spriteRam + 7680);
        s.palette.assign(std::begin(dynamicPalette), std::end(dynamicPalette));
        s.paletteRam.assign(std::begin(_dynamicPalette), std::end(_dynamicPalette));
        s.ports.assign(std::begin(IOBuf), std::end(IOBuf));
        uint16_t watchdog;
        std::memcpy(&watchdog, watchDogReset, 2);
        const uint16_t words[6] = {NextInterrupt, interruptEnable, IRQ4ACK, IRQ3ACK, IRQ2ACK, watchdog};
        std::memcpy(s.words, words, sizeof words);
        s.cycles = cpucycles_by_frame;
        s.mode = testMode;
        return s;
    }
    static std::vector<Snapshot> frames(int count) {
        std::vector<Snapshot> after;
        for (int i = 0; i < count; ++i) {
            pm_render(false, false, 60);
            after.push_back(snapshot());
        }
        return after;
    }

private:
    BoardPointersKept kept_;  // made before SetUp, undone after TearDown
};

}  // namespace

TEST_F(BoardStates, ARestoredMachineRunsTheSameFramesAsTheSavedOne) {
    frames(5);
    const Snapshot atSave = snapshot();
    BoardState state;
    pm_captureState(state, Speed::Fps60);
    ASSERT_EQ(state.interrupts[0] & 1, 1) << "the program waits in STOP between frames";
    const std::vector<Snapshot> original = frames(7);

    scrambleMachine();
    pm_restoreState(state);
    EXPECT_TRUE(snapshot() == atSave) << "the restored machine, and the picture it draws, as saved";
    const std::vector<Snapshot> again = frames(7);
    for (size_t i = 0; i < original.size(); ++i) EXPECT_TRUE(again[i] == original[i]) << "frame " << i + 1;
}

TEST_F(BoardStates, PendingInterruptsAndTheirVectorsComeBack) {
    frames(2);
    // Two requests queued between frames, as a host may: both still pending.
    ASSERT_EQ(s68000interrupt(2, 26), 0);
    ASSERT_EQ(s68000interrupt(6, 28), 0);
    BoardState state;
    pm_captureState(state, Speed::Fps60);
    EXPECT_EQ(state.interrupts[0], (1 << 2) | (1 << 6));
    EXPECT_EQ(state.interrupts[2], 26);
    EXPECT_EQ(state.interrupts[6], 28);
    const std::vector<Snapshot> original = frames(3);

    pm_restoreState(state);
    EXPECT_EQ(_s68000context.interrupts[0], (1 << 2) | (1 << 6));
    const std::vector<Snapshot> again = frames(3);
    for (size_t i = 0; i < original.size(); ++i) EXPECT_TRUE(again[i] == original[i]) << "frame " << i + 1;
}

TEST_F(BoardStates, RestoreKeepsTheHostsListsAndSelectsTheSetOfTheRestoredMode) {
    static program_region userFetch[16];
    static data_region userReads[16];
    std::memcpy(userFetch, pretend_programfetch, sizeof userFetch);
    std::memcpy(userReads, pretend_readword, sizeof userReads);
    _s68000context.u_fetch = userFetch;
    _s68000context.u_readword = userReads;
    const s68000_reset_handler resetHandler = [] {};
    _s68000context.resethandler = resetHandler;
    frames(1);

    BoardState state;
    pm_captureState(state, Speed::Fps60);
    state.sr = 0x0700;  // user mode
    pm_restoreState(state);
    const s68000context& c = _s68000context;
    EXPECT_EQ(c.fetch, userFetch);
    EXPECT_EQ(c.readword, userReads);
    EXPECT_EQ(c.readbyte, pretend_readbyte);
    EXPECT_EQ(c.s_fetch, pretend_programfetch);
    EXPECT_EQ(c.u_fetch, userFetch);
    EXPECT_EQ(c.resethandler, resetHandler);
    EXPECT_EQ(c.sr, 0x0700);

    state.sr = 0x2700;  // supervisor mode
    pm_restoreState(state);
    EXPECT_EQ(c.fetch, pretend_programfetch);
    EXPECT_EQ(c.readword, pretend_readword);
    EXPECT_EQ(c.resethandler, resetHandler);
    _s68000context.resethandler = nullptr;
}

TEST_F(BoardStates, TheSpeedSetsTheFramesCyclesAndTheBoardsFlagsComeBack) {
    frames(3);
    BoardState state;
    pm_captureState(state, Speed::Fps30);
    EXPECT_EQ(state.speed, Speed::Fps30);
    EXPECT_EQ(state.nextInterrupt, 26);
    state.testMode = 1;
    pm_restoreState(state);
    EXPECT_EQ(cpucycles_by_frame.load(), 266666u);
    EXPECT_EQ(testMode, 1);
    testMode = 0;
    NextInterrupt = 0;
    state.speed = Speed::Unlimited;
    pm_restoreState(state);
    EXPECT_EQ(cpucycles_by_frame.load(), 133333u);
    EXPECT_EQ(NextInterrupt, 26);
    testMode = 0;
}

TEST(RomSetHash, IsTheCrcOfTheProgramAsThe68000ReadsItThenOfTheGraphics) {
    const auto saved = std::make_pair(codeRom, tilesRom);
    std::vector<uint16_t> program(0x20000);
    for (size_t i = 0; i < program.size(); ++i) program[i] = static_cast<uint16_t>(i * 0x9E37 + 1);
    std::vector<unsigned char> graphics(0x100000);
    for (size_t i = 0; i < graphics.size(); ++i) graphics[i] = static_cast<unsigned char>(i % 13);
    std::vector<unsigned char> bigEndian;
    for (uint16_t word : program) bigEndian.insert(bigEndian.end(), {uint8_t(word >> 8), uint8_t(word)});
    codeRom = reinterpret_cast<unsigned char*>(program.data());
    tilesRom = graphics.data();

    const uint64_t hash = pm_romSetHash();
    EXPECT_EQ(hash >> 32, crc32(0, bigEndian.data(), static_cast<uInt>(bigEndian.size())));
    EXPECT_EQ(hash & 0xFFFFFFFFu, crc32(0, graphics.data(), static_cast<uInt>(graphics.size())));
    program[0x1FFFF] ^= 1;  // the last word of the program
    EXPECT_NE(pm_romSetHash() >> 32, hash >> 32);
    EXPECT_EQ(pm_romSetHash() & 0xFFFFFFFFu, hash & 0xFFFFFFFFu);
    graphics[0xFFFFF] ^= 1;  // the last pixel
    EXPECT_NE(pm_romSetHash() & 0xFFFFFFFFu, hash & 0xFFFFFFFFu);

    tilesRom = nullptr;
    EXPECT_EQ(pm_romSetHash(), 0u) << "no ROM set";
    codeRom = saved.first;
    tilesRom = saved.second;
}
