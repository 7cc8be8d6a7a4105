// The core as a frontend sees it, loaded with dlopen and run headless: what
// it declares, the demo's reviewed frames through the joypad and the service
// mode option, every form of content, reset, a second start in the same
// process, and bad content refused with one log line.
#include <gtest/gtest.h>

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

TEST_F(Core, DeclaresItselfAndItsPicture) {
    EXPECT_EQ(core().api().api_version(), unsigned(RETRO_API_VERSION));
    retro_system_info system{};
    core().api().get_system_info(&system);
    EXPECT_STREQ(system.library_name, "BePellmora");
    EXPECT_STREQ(system.library_version, "0.80");
    EXPECT_STREQ(system.valid_extensions, "zip|2a|3a");
    EXPECT_TRUE(system.need_fullpath);
    EXPECT_TRUE(system.block_extract);

    retro_system_av_info av{};
    core().api().get_system_av_info(&av);
    const retro_game_geometry& g = av.geometry;
    EXPECT_EQ(std::tie(g.base_width, g.base_height, g.max_width, g.max_height),
              std::make_tuple(256u, 224u, 256u, 224u));
    EXPECT_FLOAT_EQ(av.geometry.aspect_ratio, 8.0f / 7.0f);
    EXPECT_DOUBLE_EQ(av.timing.fps, 60.0);
    EXPECT_DOUBLE_EQ(av.timing.sample_rate, 48000.0);

    ASSERT_EQ(core().declaredOptions().count(kServiceMode), 1u);
    EXPECT_EQ(core().declaredOptions().at(kServiceMode), "Service mode (resets the board); disabled|enabled");
    EXPECT_EQ(core().api().get_memory_data(RETRO_MEMORY_SYSTEM_RAM), nullptr) << "no RAM before content";
}

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
    const bool saves =
        core().api().serialize_size() > 0 || (core().load(demo.c_str()) && core().api().serialize_size() > 0);
    EXPECT_EQ(info["savestate"], saves ? "true" : "false");
}

TEST_F(Core, DescribesEveryJoypadButtonItReads) {
    ASSERT_TRUE(core().load(demo.c_str()));
    std::map<unsigned, std::string> described;
    for (const auto& d : core().descriptors()) {
        EXPECT_EQ(std::make_tuple(d.port, d.device, d.index), std::make_tuple(0u, unsigned(RETRO_DEVICE_JOYPAD), 0u));
        EXPECT_TRUE(described.emplace(d.id, d.description).second) << "button " << d.id << " described twice";
    }
    const std::map<unsigned, std::string> expected = {
        {RETRO_DEVICE_ID_JOYPAD_UP, "Up"},           {RETRO_DEVICE_ID_JOYPAD_DOWN, "Down"},
        {RETRO_DEVICE_ID_JOYPAD_LEFT, "Left"},       {RETRO_DEVICE_ID_JOYPAD_RIGHT, "Right"},
        {RETRO_DEVICE_ID_JOYPAD_B, "Button 1"},      {RETRO_DEVICE_ID_JOYPAD_A, "Button 2"},
        {RETRO_DEVICE_ID_JOYPAD_Y, "Button 3"},      {RETRO_DEVICE_ID_JOYPAD_SELECT, "Switch 1"},
        {RETRO_DEVICE_ID_JOYPAD_START, "Switch 2"},  {RETRO_DEVICE_ID_JOYPAD_L, "Switch 3"},
        {RETRO_DEVICE_ID_JOYPAD_R, "Switch 4"},      {RETRO_DEVICE_ID_JOYPAD_L2, "Switch 5"},
    };
    EXPECT_EQ(described, expected);
}

// Frames as the end-to-end tests' reviewed ones, 256 x 224 in 0RGB1555 with
// bit 15 clear, one poll and 800 silent stereo samples a frame.
TEST_F(Core, AttractModeShowsTheReviewedFrames) {
    ASSERT_TRUE(core().load(demo.c_str()));
    EXPECT_TRUE(core().pixelFormatSet());
    EXPECT_EQ(core().pixelFormat(), RETRO_PIXEL_FORMAT_0RGB1555);
    playAndCheck(golden("demo_attract"));
    EXPECT_EQ(std::make_tuple(core().frameWidth(), core().frameHeight(), core().framePitch()),
              std::make_tuple(256u, 224u, 512u));
    EXPECT_EQ(core().inputPolls(), core().framesPresented());
    EXPECT_EQ(core().audioFramesReceived(), 800u * core().framesPresented());
    EXPECT_TRUE(core().audioAllSilent());
    EXPECT_EQ(core().api().get_memory_size(RETRO_MEMORY_SYSTEM_RAM), 0x4000u);
    EXPECT_EQ(status(kMagic), kDemoMagic);
}

// The keyboard script of the end-to-end play test on the joypad: d-pad, the
// three buttons and two switches give the reviewed frames.
TEST_F(Core, JoypadPlaysTheReviewedGame) {
    ASSERT_TRUE(core().load(demo.c_str()));
    const DemoRun run = golden("demo_play");
    EXPECT_GE(run.script.size(), 10u);
    playAndCheck(run);
}

// Frame 30 is compared with its reviewed hash. Frame 40, with the script's
// keys held, lights lamps in colours the program never wrote, which the board
// keeps as the reset's 0xFFFF: the frontend gets them with bit 15 clear (the
// 0RGB1555 rule), so that frame cannot hash as the board's own does.
TEST_F(Core, ServiceModeOptionAtLoadShowsTheReviewedInputTest) {
    core().setOption(kServiceMode, "enabled");
    ASSERT_TRUE(core().load(demo.c_str()));
    DemoRun run = golden("demo_service");
    std::erase_if(run.golden, [](const GoldenFrame& g) { return g.frame > 30; });
    ASSERT_EQ(run.golden.size(), 1u);
    playAndCheck(run);
    EXPECT_EQ(status(kService), 1u);
}

// Switched while running, the option resets the board into service mode and
// back, as the desktop program's menu item does.
TEST_F(Core, ServiceModeOptionSwitchedWhileRunningResetsTheBoard) {
    ASSERT_TRUE(core().load(demo.c_str()));
    core().run(100);
    EXPECT_EQ(status(kService), 0u);
    const uint32_t before = status(kFrame);
    EXPECT_GT(before, 90u);
    core().setOption(kServiceMode, "enabled");
    core().run(30);
    EXPECT_EQ(status(kService), 1u);
    EXPECT_LT(status(kFrame), 31u) << "the program did not start again";
    core().run(30);
    core().setOption(kServiceMode, "disabled");
    core().run(30);
    EXPECT_EQ(status(kService), 0u);
    EXPECT_LT(status(kFrame), 31u);
    core().setOption(kServiceMode, "disabled");  // unchanged value: no reset
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

// Every form of content starts the same machine: each load (in the same
// process) gives the reviewed frame 60 again.
TEST_F(Core, DirectoryAnyOfTheSixFilesOrAZipStartTheSameBoard) {
    const uint64_t frame60 = reviewed("demo_attract", 60);

    TempDir dir;
    std::vector<std::vector<uint8_t>> files;
    for (const char* name : kSetNames) files.push_back(readFile(fs::path(demo) / name));
    ASSERT_TRUE(writeZip(dir / "demo.zip", setEntries(files)));
    ASSERT_TRUE(writeZip(dir / "FOLDER.ZIP", setEntries(files, "demo/Roms/")));

    const std::vector<std::string> contents = {demo, demo + "/", demo + "/PELLMORA.2A", demo + "/CH3",
                                               (dir / "demo.zip"), (dir / "FOLDER.ZIP")};
    for (const auto& content : contents) {
        SCOPED_TRACE(content);
        ASSERT_TRUE(core().load(content.c_str()));
        EXPECT_EQ(hashAfterFrames(60), frame60);
        core().hold(RETRO_DEVICE_ID_JOYPAD_RIGHT, true);  // leave the machine somewhere else for the next load
        core().run(17);
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

TEST_F(Core, DeinitInitAndASecondLoadStartAfresh) {
    const uint64_t frame60 = reviewed("demo_attract", 60);
    ASSERT_TRUE(core().load(demo.c_str()));
    core().hold(RETRO_DEVICE_ID_JOYPAD_B, true);
    core().run(100);
    core().unload();
    EXPECT_EQ(core().log().back().text, "BePellmora: unloaded after 100 frames");
    core().reinit();
    core().releaseAll();
    ASSERT_TRUE(core().load(demo.c_str()));
    EXPECT_EQ(hashAfterFrames(60), frame60);
    EXPECT_EQ(status(kFrame), 55u);
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
    EXPECT_EQ(std::string(state.begin(), state.begin() + 8), std::string("BVSTATE\x1A", 8));
    EXPECT_EQ(state[8] | state[9] << 8 | state[10] << 16 | state[11] << 24, 1) << "format version";
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
}

// A damaged state, one of another ROM set, a cut or a long one: refused with
// one log line, and the game runs on as if nothing had been tried.
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
    auto longer = state;
    longer.push_back(0);
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> bad = {
        {damaged, "is damaged: the CRC-32 of its body"},
        {cut, "is cut short"},
        {longer, "is too long"},
        {otherSet, "belongs to another ROM set"},
        {std::vector<uint8_t>(100, 0), "is not a save state"},
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

// Each refusal: load fails with exactly one error line naming the problem,
// nothing runs, and the next good content loads as if nothing happened.
TEST_F(Core, BadContentIsRefusedWithOneLogLine) {
    TempDir dir;
    writeSet(dir.path(), patternedSet());
    fs::remove(dir / "CH2");
    auto entries = honestEntries(patternedSet());
    entries[2] = {"CH0", 0x7FFFFFF0u, std::vector<uint8_t>(64, 1), 8, 0};
    writeFile(dir / "huge.zip", handMadeZip(entries));
    writeFile(dir / "notes.txt", {'n', 'o'});
    struct Case {
        std::string path, line;
    };
    const std::vector<Case> cases = {
        {(dir / "missing"), (dir / "missing") + " does not exist"},
        {dir.path().string(), (dir / "CH2") + " is missing"},
        {(dir / "CH0"), (dir / "CH2") + " is missing"},
        {(dir / "huge.zip"),
         (dir / "huge.zip") + ": CH0 is 2147483632 bytes; a ROM file in an archive must be exactly 131072"},
        {(dir / "notes.txt"), (dir / "notes.txt") + " is not a ROM set"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        core().clearLog();
        EXPECT_FALSE(core().load(c.path.c_str()));
        ASSERT_EQ(core().log().size(), 1u);
        EXPECT_EQ(core().log()[0].level, RETRO_LOG_ERROR);
        EXPECT_EQ(core().log()[0].text.rfind("BePellmora cannot load the ROM set: " + c.line, 0), 0u)
            << core().log()[0].text;
        const int shown = core().framesPresented();
        core().api().run();  // a frontend that runs anyway gets nothing
        EXPECT_EQ(core().framesPresented(), shown);
    }
    core().clearLog();
    EXPECT_FALSE(core().load(nullptr));
    ASSERT_EQ(core().log().size(), 1u);
    EXPECT_EQ(core().log()[0].text,
              "BePellmora needs content: a ROM set directory, one of its six files or a .zip");

    ASSERT_TRUE(core().load(demo.c_str()));
    EXPECT_EQ(hashAfterFrames(60), reviewed("demo_attract", 60));
}

}  // namespace
