// The core as a frontend sees it, loaded with dlopen and run headless: what
// it declares agrees with its .info file and its frames, the demo's reviewed
// frames through the joypad and the service mode option, content by path,
// reset, a fresh board at every load, states that replay, and bad content and
// states refused with one log line. (The content loader and the state image
// are the board's tests'.)
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <tuple>

#include "demo_golden.h"
#include "rom_set_fixtures.h"
#include "test_frontend.h"

using namespace libretro_test;

namespace {

// The end-to-end tests' keys as the joypad holds them.
const std::map<std::string, unsigned> kJoypadOf = {
    {"kUp", RETRO_DEVICE_ID_JOYPAD_UP},       {"kDown", RETRO_DEVICE_ID_JOYPAD_DOWN},
    {"kLeft", RETRO_DEVICE_ID_JOYPAD_LEFT},   {"kRight", RETRO_DEVICE_ID_JOYPAD_RIGHT},
    {"kLeftAlt", RETRO_DEVICE_ID_JOYPAD_B},   {"kSpace", RETRO_DEVICE_ID_JOYPAD_A},
    {"kLeftShift", RETRO_DEVICE_ID_JOYPAD_Y}, {"kKey1", RETRO_DEVICE_ID_JOYPAD_SELECT},
    {"kKey2", RETRO_DEVICE_ID_JOYPAD_START},  {"kKey3", RETRO_DEVICE_ID_JOYPAD_L},
    {"kKey4", RETRO_DEVICE_ID_JOYPAD_R},      {"kKey5", RETRO_DEVICE_ID_JOYPAD_L2},
};

constexpr const char* kServiceMode = "bevorel_service_mode";
// The demo's status block at 0x100000 (roms/demo/status.h), by long word.
enum StatusField { kMagic, kLevel4, kLevel3, kLevel2, kFrame, kDrawn, kService };
constexpr uint32_t kDemoMagic = 0x44454D4F;

class Core : public ::testing::Test {
protected:
    void SetUp() override {
        frontend = std::make_unique<TestFrontend>(CORE_PATH);
        ASSERT_TRUE(frontend->ok()) << frontend->error();
    }

    TestFrontend& core() { return *frontend; }

    static DemoRun golden(const char* name) {
        DemoRun run = demoRun(DEMO_TEST_SOURCE, name);
        EXPECT_FALSE(run.golden.empty()) << "no reviewed frames of " << name << " in " DEMO_TEST_SOURCE;
        return run;
    }

    static uint64_t reviewed(const char* name, int frame) {
        for (const auto& g : golden(name).golden)
            if (g.frame == frame) return g.hash;
        ADD_FAILURE() << "no reviewed frame " << frame << " of " << name;
        return 0;
    }

    // Runs frames 1 to the last golden one from the load, holding the
    // script's keys on the joypad, and checks every golden frame and the
    // shape of every presented frame.
    void playAndCheck(const DemoRun& run) {
        int last = 0;
        for (const auto& g : run.golden) last = std::max(last, g.frame);
        for (int frame = 1; frame <= last; ++frame) {
            for (const auto& event : run.script) {
                ASSERT_TRUE(kJoypadOf.count(event.key)) << event.key;
                if (event.frame == frame) core().hold(kJoypadOf.at(event.key), event.held);
            }
            core().run();
            ASSERT_EQ(core().framesPresented(), frame);
            for (const auto& g : run.golden)
                if (g.frame == frame)
                    EXPECT_EQ(core().frameHash(), g.hash) << "frame " << frame << " is not the reviewed one";
        }
        core().releaseAll();
    }

    uint32_t status(StatusField field) {
        const auto* ram = static_cast<const uint16_t*>(core().api().get_memory_data(RETRO_MEMORY_SYSTEM_RAM));
        if (!ram) return 0xDEADDEAD;
        return uint32_t(ram[2 * field]) << 16 | ram[2 * field + 1];  // host-order 68000 words
    }

    uint64_t hashAfterFrames(int frames) {
        core().run(frames);
        return core().frameHash();
    }

    std::unique_ptr<TestFrontend> frontend;
    const std::string demo = DEMO_ROM_DIR;
};

// The .info file frontends read before loading the core says what the core
// itself says.
TEST_F(Core, InfoFileAgreesWithTheCore) {
    std::map<std::string, std::string> info;
    std::ifstream file(CORE_INFO);
    ASSERT_TRUE(file) << "cannot read " CORE_INFO;
    static const std::regex entry(R"re(^(\w+) = "(.*)"$)re");
    std::smatch m;
    for (std::string line; std::getline(file, line);)
        if (std::regex_match(line, m, entry)) info[m[1]] = m[2];
    retro_system_info system{};
    core().api().get_system_info(&system);
    EXPECT_EQ(info["corename"], system.library_name);
    EXPECT_EQ(info["display_version"], system.library_version);
    EXPECT_EQ(info["supported_extensions"], system.valid_extensions);
    EXPECT_EQ(info["needs_fullpath"], system.need_fullpath ? "true" : "false");
    EXPECT_EQ(info["supports_no_game"], "false");
    EXPECT_EQ(info["core_options"], "true");
    EXPECT_EQ(info["input_descriptors"], "true");
    EXPECT_EQ(core().api().serialize_size(), 0u) << "no state before content";
    EXPECT_EQ(core().api().get_memory_data(RETRO_MEMORY_SYSTEM_RAM), nullptr) << "no RAM before content";
    const bool saves = core().load(demo.c_str()) && core().api().serialize_size() > 0;
    EXPECT_EQ(info["savestate"], saves ? "true" : "false");
    EXPECT_EQ(core().api().api_version(), unsigned(RETRO_API_VERSION));
}

TEST_F(Core, DescribesEveryJoypadButtonItReads) {
    ASSERT_TRUE(core().load(demo.c_str()));
    std::map<unsigned, std::string> described;
    for (const auto& d : core().descriptors()) {
        EXPECT_EQ(std::make_tuple(d.port, d.device, d.index), std::make_tuple(0u, unsigned(RETRO_DEVICE_JOYPAD), 0u));
        EXPECT_TRUE(described.emplace(d.id, d.description).second) << "button " << d.id << " described twice";
    }
    std::set<unsigned> read, named;
    for (const auto& [key, button] : kJoypadOf) read.insert(button);
    for (const auto& [button, text] : described) {
        named.insert(button);
        EXPECT_FALSE(text.empty()) << button;
    }
    EXPECT_EQ(named, read) << "the buttons described are the buttons that play";
}

// The keyboard script of the end-to-end play test on the joypad: d-pad, the
// three buttons and two switches give the reviewed frames, in the pixel
// format and size the core declared, one poll and silent sound a frame.
TEST_F(Core, JoypadPlaysTheReviewedGame) {
    ASSERT_TRUE(core().load(demo.c_str()));
    const DemoRun run = golden("demo_play");
    EXPECT_GE(run.script.size(), 10u);
    playAndCheck(run);
    retro_system_av_info av{};
    core().api().get_system_av_info(&av);
    EXPECT_EQ(std::make_tuple(core().frameWidth(), core().frameHeight(), core().framePitch()),
              std::make_tuple(av.geometry.base_width, av.geometry.base_height, size_t{av.geometry.base_width} * 2));
    EXPECT_TRUE(core().pixelFormatSet());
    EXPECT_EQ(core().pixelFormat(), RETRO_PIXEL_FORMAT_0RGB1555);
    EXPECT_EQ(core().inputPolls(), core().framesPresented());
    EXPECT_EQ(core().audioFramesReceived() * av.timing.fps, av.timing.sample_rate * core().framesPresented());
    EXPECT_TRUE(core().audioAllSilent());
    EXPECT_EQ(status(kMagic), kDemoMagic);
}

// Set at load, the option gives the reviewed input test (frame 30; frame
// 40, with the script's keys held, lights lamps in colours the program never
// wrote, which the board keeps as the reset's 0xFFFF and the frontend gets
// with bit 15 clear, so it cannot hash as the board's own does). Switched
// while running, it resets the board out of service mode and back, as the
// desktop program's menu item does; set to its value again, it does nothing.
TEST_F(Core, ServiceModeOptionAtLoadAndWhileRunning) {
    core().setOption(kServiceMode, "enabled");
    ASSERT_TRUE(core().load(demo.c_str()));
    core().clearLog();
    DemoRun run = golden("demo_service");
    std::erase_if(run.golden, [](const GoldenFrame& g) { return g.frame > 30; });
    ASSERT_EQ(run.golden.size(), 1u);
    playAndCheck(run);
    EXPECT_EQ(status(kService), 1u);
    EXPECT_TRUE(core().log().empty()) << "started in service mode, not reset into it: " << core().log()[0].text;
    core().run(70);
    EXPECT_GT(status(kFrame), 90u);
    for (const char* value : {"disabled", "enabled"}) {
        core().setOption(kServiceMode, value);
        core().run(30);
        EXPECT_EQ(status(kService), value[0] == 'e' ? 1u : 0u);
        EXPECT_LT(status(kFrame), 31u) << "the program did not start again";
    }
    core().setOption(kServiceMode, "enabled");  // unchanged value: no reset
    core().run(10);
    EXPECT_GT(status(kFrame), 31u);
}

// The input test shows every input bit with a lamp of its own: each of the
// twelve buttons, held alone on a fresh machine, gives a picture of its own.
TEST_F(Core, EveryButtonReachesAnInputOfItsOwn) {
    core().setOption(kServiceMode, "enabled");
    std::map<uint64_t, std::string> pictures;
    auto picture = [&](const char* name, int button) {
        ASSERT_TRUE(core().load(demo.c_str()));
        core().run(38);
        if (button >= 0) core().hold(unsigned(button), true);
        const uint64_t hash = hashAfterFrames(2);
        core().releaseAll();
        const auto [seen, fresh] = pictures.emplace(hash, name);
        EXPECT_TRUE(fresh) << name << " shows the same input test as " << seen->second;
    };
    picture("no button", -1);
    for (const auto& [key, button] : kJoypadOf) picture(key.c_str(), int(button));
    EXPECT_EQ(pictures.size(), 13u);
}

TEST_F(Core, ResetRestartsTheProgramAndLeavesTheRestRunning) {
    ASSERT_TRUE(core().load(demo.c_str()));
    core().run(100);
    core().clearLog();
    core().reset();
    core().run(1);
    EXPECT_LT(status(kFrame), 2u) << "the program did not start again";
    core().run(30);
    EXPECT_EQ(status(kMagic), kDemoMagic);
    EXPECT_GT(status(kFrame), 25u);
}

// A program that never writes the palette shows the reset's white, which the
// board keeps as 0xFFFF: the frontend gets it with bit 15 clear.
TEST_F(Core, WhiteOfAResetReachesTheFrontendWithBit15Clear) {
    TempDir dir;
    writeSet(dir.path(), idleProgramSet());
    ASSERT_TRUE(core().load(dir.path().c_str()));
    core().run(3);
    ASSERT_EQ(core().frame().size(), 256u * 224u);
    EXPECT_EQ(std::count(core().frame().begin(), core().frame().end(), 0x7FFF), 256 * 224);
}

// Content is a path the core hands to the board's loader (whose tests hold
// every form): each load gives the reviewed frame 60 with the program at its
// frame 55, in the same process and after a deinit and init.
TEST_F(Core, DirectoryAnyOfTheSixFilesOrAZipStartTheSameBoard) {
    const uint64_t frame60 = reviewed("demo_attract", 60);

    TempDir dir;
    std::vector<std::vector<uint8_t>> files;
    for (const char* name : kSetNames) files.push_back(readFile(fs::path(demo) / name));
    ASSERT_TRUE(writeZip(dir / "FOLDER.ZIP", setEntries(files, "demo/Roms/")));

    const std::vector<std::string> contents = {demo, demo + "/CH3", (dir / "FOLDER.ZIP")};
    for (const auto& content : contents) {
        SCOPED_TRACE(content);
        ASSERT_TRUE(core().load(content.c_str()));
        EXPECT_EQ(hashAfterFrames(60), frame60);
        EXPECT_EQ(status(kFrame), 55u);
        core().hold(RETRO_DEVICE_ID_JOYPAD_RIGHT, true);  // leave the machine somewhere else for the next load
        core().run(17);
        if (content == contents[1]) {
            core().unload();
            EXPECT_EQ(core().log().back().text, "BePellmora: unloaded after 77 frames");
            core().reinit();
        }
        core().releaseAll();
    }
}

// A load powers the board on: no interrupt chain the last content left
// reaches the next one. The probe's handler paints the background blue; it
// does once the probe enables interrupts itself, never otherwise.
TEST_F(Core, NextContentInheritsNoInterruptChain) {
    TempDir dir;
    writeSet(dir.path(), interruptProbeSet(true));
    fs::create_directory(dir / "quiet");
    writeSet(dir / "quiet", interruptProbeSet(false));
    auto background = [&] { return core().frame().at(0); };

    ASSERT_TRUE(core().load(dir.path().c_str()));
    core().run(3);
    EXPECT_EQ(background(), 0x001F) << "the probe's handler never ran";
    ASSERT_TRUE(core().load((dir / "quiet").c_str()));
    core().run(3);
    EXPECT_EQ(background(), 0x7FFF) << "an interrupt of the last content reached this one";

    ASSERT_TRUE(core().load(demo.c_str()));
    core().run(100);
    ASSERT_TRUE(core().load((dir / "quiet").c_str()));
    core().run(3);
    EXPECT_EQ(background(), 0x7FFF) << "the demo's interrupt chain reached the next content";
}

// A state taken mid-game and restored replays exactly the frames that
// followed it, on the same machine or on one started afresh; the image is
// the desktop program's state format.
TEST_F(Core, StateRoundTripReplaysTheSameFrames) {
    const DemoRun run = golden("demo_play");
    const uint64_t frame160 = reviewed("demo_play", 160);
    auto play = [&](int from, int to) {  // the play script's keys over frames from..to
        std::vector<uint64_t> hashes;
        for (int frame = from; frame <= to; ++frame) {
            core().releaseAll();
            for (const auto& e : run.script)  // in frame order: the keys held at this frame
                if (e.frame <= frame) core().hold(kJoypadOf.at(e.key), e.held);
            hashes.push_back(hashAfterFrames(1));
        }
        return hashes;
    };
    EXPECT_EQ(core().api().serialize_size(), 0u) << "no state before content";
    ASSERT_TRUE(core().load(demo.c_str()));
    play(1, 80);
    const size_t size = core().api().serialize_size();
    ASSERT_GT(size, 28u);
    std::vector<uint8_t> state(size);
    ASSERT_TRUE(core().api().serialize(state.data(), state.size()));
    std::vector<uint8_t> small(size - 1);
    EXPECT_FALSE(core().api().serialize(small.data(), small.size()));

    const auto first = play(81, 160);
    EXPECT_EQ(first.back(), frame160);
    ASSERT_TRUE(core().api().unserialize(state.data(), state.size()));
    EXPECT_EQ(play(81, 160), first) << "restored on the same machine";

    core().unload();
    core().reinit();
    core().releaseAll();
    ASSERT_TRUE(core().load(demo.c_str()));
    core().run(7);  // somewhere else entirely
    ASSERT_TRUE(core().api().unserialize(state.data(), state.size()));
    EXPECT_EQ(play(81, 160), first) << "restored on a machine started afresh";

    // A state the desktop program saved at 30 fps (its last byte, the CRC of
    // the body made right again) runs on at the core's 60.
    state.back() = 1;
    const uint32_t crc = static_cast<uint32_t>(crc32(0, state.data() + 28, static_cast<uInt>(state.size() - 28)));
    for (int i = 0; i < 4; ++i) state[24 + i] = static_cast<uint8_t>(crc >> (8 * i));
    ASSERT_TRUE(core().api().unserialize(state.data(), state.size()));
    EXPECT_EQ(play(81, 160), first) << "restored at another speed";
}

// A damaged state, a cut one, one of another ROM set: refused with one log
// line, and the game runs on as if nothing had been tried.
TEST_F(Core, BadStatesAreRefusedAndChangeNothing) {
    TempDir dir;
    writeSet(dir.path(), idleProgramSet());
    ASSERT_TRUE(core().load(dir.path().c_str()));
    std::vector<uint8_t> otherSet(core().api().serialize_size());
    ASSERT_TRUE(core().api().serialize(otherSet.data(), otherSet.size()));

    ASSERT_TRUE(core().load(demo.c_str()));
    core().run(50);
    std::vector<uint8_t> state(core().api().serialize_size());
    ASSERT_TRUE(core().api().serialize(state.data(), state.size()));
    const uint64_t reference = hashAfterFrames(30);

    auto damaged = state;
    damaged[5000] ^= 0x40;
    auto cut = state;
    cut.pop_back();
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> bad = {
        {damaged, "is damaged: the CRC-32 of its body"},
        {cut, "is cut short"},
        {otherSet, "belongs to another ROM set"},
    };
    ASSERT_TRUE(core().api().unserialize(state.data(), state.size()));
    for (const auto& [image, why] : bad) {
        core().clearLog();
        EXPECT_FALSE(core().api().unserialize(image.data(), image.size())) << why;
        ASSERT_EQ(core().log().size(), 1u) << why;
        EXPECT_EQ(core().log()[0].level, RETRO_LOG_ERROR);
        EXPECT_EQ(core().log()[0].text.rfind("BePellmora: the state given " + why, 0), 0u) << core().log()[0].text;
    }
    EXPECT_EQ(hashAfterFrames(30), reference) << "a refused state changed the machine";
}

// A refusal of the loader (whose tests hold every reason) and no content at
// all: load fails with exactly one error line, nothing runs, and the next
// good content loads as if nothing happened.
TEST_F(Core, BadContentIsRefusedWithOneLogLine) {
    TempDir dir;
    core().clearLog();
    EXPECT_FALSE(core().load((dir / "missing").c_str()));
    ASSERT_EQ(core().log().size(), 1u);
    EXPECT_EQ(core().log()[0].level, RETRO_LOG_ERROR);
    EXPECT_EQ(core().log()[0].text.rfind("BePellmora cannot load the ROM set: " + (dir / "missing") + " does not exist", 0), 0u)
        << core().log()[0].text;
    core().api().run();  // a frontend that runs anyway gets nothing
    EXPECT_EQ(core().framesPresented(), 0);
    core().clearLog();
    EXPECT_FALSE(core().load(nullptr));
    ASSERT_EQ(core().log().size(), 1u);
    EXPECT_EQ(core().log()[0].level, RETRO_LOG_ERROR);
    EXPECT_EQ(core().log()[0].text,
              "BePellmora needs content: a ROM set directory, one of its six files or a .zip");

    ASSERT_TRUE(core().load(demo.c_str()));
    EXPECT_EQ(hashAfterFrames(60), reviewed("demo_attract", 60));
}

}  // namespace
