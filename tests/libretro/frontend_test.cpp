// The core as a frontend sees it: loaded with dlopen (the test links nothing
// of it) and run headless with a joypad on port 0. (Content forms and the
// state image are the board's tests'; RetroArch runs it in retroarch.cmake.)
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libretro.h>
#include <zlib.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "../common/frame_hash.h"

namespace {

#define ENTRY_POINTS(X)                                                                                           \
    X(retro_set_environment) X(retro_set_video_refresh) X(retro_set_audio_sample_batch) X(retro_set_input_poll) \
    X(retro_set_input_state) X(retro_init) X(retro_deinit) X(retro_get_system_info) X(retro_get_system_av_info)  \
    X(retro_reset) X(retro_run) X(retro_serialize_size) X(retro_serialize) X(retro_unserialize)                  \
    X(retro_load_game) X(retro_unload_game) X(retro_get_memory_data)
#define DECLARE(name) decltype(&::name) name;
struct Api {
    ENTRY_POINTS(DECLARE)
} core;

// What the frontend keeps of the core's calls. The callbacks carry no
// context: there is one core per process.
struct Frontend {
    std::map<std::string, std::string> declared, options;  // options: the user's choices
    bool optionsChanged = false;
    retro_pixel_format format = RETRO_PIXEL_FORMAT_UNKNOWN;
    std::set<unsigned> described;  // joypad buttons
    std::vector<std::pair<retro_log_level, std::string>> log;
    std::vector<uint16_t> frame;
    unsigned width = 0, height = 0;
    size_t pitch = 0, audioFrames = 0;
    int presented = 0, polls = 0;
    bool silent = true, bit15Clear = true;
    uint32_t held = 0;  // bit n: joypad button n
} fe;

void logLine(retro_log_level level, const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string line = text;
    if (line.ends_with('\n')) line.pop_back();
    fe.log.push_back({level, line});
}

bool environment(unsigned command, void* data) {
    switch (command) {
        case RETRO_ENVIRONMENT_SET_VARIABLES:
            for (auto* v = static_cast<const retro_variable*>(data); v->key; ++v) fe.declared[v->key] = v->value;
            return true;
        case RETRO_ENVIRONMENT_GET_VARIABLE: {
            auto* v = static_cast<retro_variable*>(data);
            fe.optionsChanged = false;
            if (!fe.declared.count(v->key)) return false;
            if (!fe.options.count(v->key)) {  // the first value of "description; a|b" is the default
                const std::string& text = fe.declared[v->key];
                fe.options[v->key] = text.substr(text.find("; ") + 2, text.find('|') - text.find("; ") - 2);
            }
            v->value = fe.options[v->key].c_str();
            return true;
        }
        case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
            *static_cast<bool*>(data) = fe.optionsChanged;
            return true;
        case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
            static_cast<retro_log_callback*>(data)->log = logLine;
            return true;
        case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
            fe.format = *static_cast<const retro_pixel_format*>(data);
            return true;
        case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
            fe.described.clear();
            for (auto* d = static_cast<const retro_input_descriptor*>(data); d->description; ++d) {
                EXPECT_EQ(std::tie(d->port, d->device, d->index), std::make_tuple(0u, unsigned(RETRO_DEVICE_JOYPAD), 0u));
                EXPECT_TRUE(*d->description && fe.described.insert(d->id).second) << "button " << d->id;
            }
            return true;
        default:
            return false;
    }
}

void video(const void* data, unsigned width, unsigned height, size_t pitch) {
    ++fe.presented;
    if (!data) return;  // a repeated frame
    std::tie(fe.width, fe.height, fe.pitch) = std::tie(width, height, pitch);
    fe.frame.resize(size_t(width) * height);
    for (unsigned y = 0; y < height; ++y)
        std::memcpy(&fe.frame[size_t(y) * width], static_cast<const char*>(data) + y * pitch, width * 2);
    fe.bit15Clear &= std::none_of(fe.frame.begin(), fe.frame.end(), [](uint16_t p) { return p & 0x8000; });
}

size_t audio(const int16_t* data, size_t frames) {
    fe.audioFrames += frames;
    fe.silent &= std::all_of(data, data + 2 * frames, [](int16_t s) { return s == 0; });
    return frames;
}

int16_t inputState(unsigned port, unsigned device, unsigned index, unsigned id) {
    return port == 0 && device == RETRO_DEVICE_JOYPAD && index == 0 && id < 32 ? fe.held >> id & 1 : 0;
}

// The end-to-end tests' keys as the joypad holds them.
const std::map<std::string, unsigned> kJoypadOf = {
    {"kUp", RETRO_DEVICE_ID_JOYPAD_UP},       {"kDown", RETRO_DEVICE_ID_JOYPAD_DOWN},
    {"kLeft", RETRO_DEVICE_ID_JOYPAD_LEFT},   {"kRight", RETRO_DEVICE_ID_JOYPAD_RIGHT},
    {"kLeftAlt", RETRO_DEVICE_ID_JOYPAD_B},   {"kSpace", RETRO_DEVICE_ID_JOYPAD_A},
    {"kLeftShift", RETRO_DEVICE_ID_JOYPAD_Y}, {"kKey1", RETRO_DEVICE_ID_JOYPAD_SELECT},
    {"kKey2", RETRO_DEVICE_ID_JOYPAD_START},  {"kKey3", RETRO_DEVICE_ID_JOYPAD_L},
    {"kKey4", RETRO_DEVICE_ID_JOYPAD_R},      {"kKey5", RETRO_DEVICE_ID_JOYPAD_L2},
};

// A reviewed run of the end-to-end tests, read from their source so that the
// core is held to the same review: its key script and golden frame hashes.
struct Reviewed {
    std::vector<std::tuple<int, unsigned, bool>> script;  // frame, joypad button, held
    std::map<int, uint64_t> golden;
};

Reviewed reviewed(const std::string& name) {
    std::stringstream text;
    text << std::ifstream(DEMO_TEST_SOURCE).rdbuf();
    const std::string code = text.str();
    Reviewed run;
    const size_t call = code.find("runAndCheck(\"" + name + "\"");
    const std::string arguments = call == std::string::npos ? "" : code.substr(call, code.find(");", call) - call);
    static const std::regex golden(R"(\{(\d+), (0x[0-9A-Fa-f]+)ull\})"), event(R"(\{(\d+), (k\w+), (true|false)\})");
    for (std::sregex_iterator m(arguments.begin(), arguments.end(), golden), end; m != end; ++m)
        run.golden[std::stoi((*m)[1])] = std::stoull((*m)[2], nullptr, 16);
    if (arguments.find(", script,") != std::string::npos) {
        const size_t start = code.rfind("script = {", call);
        const std::string script = code.substr(start, code.find("};", start) - start);
        for (std::sregex_iterator m(script.begin(), script.end(), event), end; m != end; ++m)
            run.script.push_back({std::stoi((*m)[1]), kJoypadOf.at((*m)[2]), (*m)[3] == "true"});
    }
    EXPECT_FALSE(run.golden.empty()) << "no reviewed frames of " << name << " in " DEMO_TEST_SOURCE;
    return run;
}

constexpr const char* kServiceMode = "bevorel_service_mode";
// The demo's status block at 0x100000 (roms/demo/status.h), by long word.
enum StatusField { kMagic, kLevel4, kLevel3, kLevel2, kFrame, kDrawn, kService };

class Core : public ::testing::Test {
protected:
    void SetUp() override {
        fe = {};
        core = {};
        module = dlopen(CORE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(module) << dlerror();
#define BIND(name) ASSERT_TRUE(core.name = reinterpret_cast<decltype(core.name)>(dlsym(module, #name))) << #name;
        ENTRY_POINTS(BIND)
        init();
    }
    void TearDown() override {
        if (!module) return;
        if (core.retro_deinit) core.retro_unload_game(), core.retro_deinit();
        dlclose(module);
    }
    static void init() {
        core.retro_set_environment(environment);
        core.retro_init();
        core.retro_set_video_refresh(video);
        core.retro_set_audio_sample_batch(audio);
        core.retro_set_input_poll([] { ++fe.polls; });
        core.retro_set_input_state(inputState);
    }

    static bool load(const char* path) {
        retro_game_info game{path, nullptr, 0, nullptr};
        return core.retro_load_game(path ? &game : nullptr);
    }
    static void setOption(const char* value) {
        fe.options[kServiceMode] = value;
        fe.optionsChanged = true;
    }
    static uint64_t hashAfter(int frames) {
        while (frames--) core.retro_run();
        return frame_hash(fe.frame.data(), fe.frame.size());
    }
    static uint32_t status(StatusField field) {
        const auto* ram = static_cast<const uint16_t*>(core.retro_get_memory_data(RETRO_MEMORY_SYSTEM_RAM));
        return ram ? uint32_t(ram[2 * field]) << 16 | ram[2 * field + 1] : 0xDEADDEAD;  // host-order words
    }
    // Frames from..to of the run, holding its script's keys; the hash of each,
    // checked against the reviewed ones up to frame `checkedTo`.
    static std::vector<uint64_t> play(const Reviewed& run, int from, int to, int checkedTo = 1 << 30) {
        std::vector<uint64_t> hashes;
        for (int frame = from; frame <= to; ++frame) {
            fe.held = 0;
            for (const auto& [at, button, held] : run.script)  // in frame order
                if (at <= frame) fe.held = held ? fe.held | 1u << button : fe.held & ~(1u << button);
            hashes.push_back(hashAfter(1));
            if (run.golden.count(frame) && frame <= checkedTo)
                EXPECT_EQ(hashes.back(), run.golden.at(frame)) << "frame " << frame << " is not the reviewed one";
        }
        fe.held = 0;
        return hashes;
    }

    void* module = nullptr;
    const std::string demo = DEMO_ROM_DIR;
};

// Before content nothing runs and nothing is saved; no content and content
// the loader refuses (its tests hold every reason) fail with one error line;
// the .info file frontends read before loading the core says what it does.
TEST_F(Core, InfoFileAgreesWithTheCoreAndBadContentIsRefused) {
    EXPECT_EQ(core.retro_serialize_size(), 0u);
    EXPECT_EQ(core.retro_get_memory_data(RETRO_MEMORY_SYSTEM_RAM), nullptr);
    const std::string missing = demo + "/missing";
    const std::pair<const char*, std::string> refused[] = {
        {nullptr, "BePellmora needs content: a ROM set directory, one of its six files or a .zip"},
        {missing.c_str(), "BePellmora cannot load the ROM set: " + missing + " does not exist"},
    };
    bool loadsNoGame = false;
    for (const auto& [path, message] : refused) {
        fe.log.clear();
        loadsNoGame |= load(path);
        ASSERT_EQ(fe.log.size(), 1u) << message;
        EXPECT_EQ(fe.log[0].first, RETRO_LOG_ERROR);
        EXPECT_TRUE(fe.log[0].second.starts_with(message)) << fe.log[0].second;
    }
    core.retro_run();
    EXPECT_EQ(fe.presented, 0) << "a frontend that runs anyway gets nothing";

    ASSERT_TRUE(load(demo.c_str()));
    std::map<std::string, std::string> info;
    std::ifstream file(CORE_INFO);
    static const std::regex entry(R"re(^(\w+) = "(.*)"$)re");
    std::smatch m;
    for (std::string line; std::getline(file, line);)
        if (std::regex_match(line, m, entry)) info[m[1]] = m[2];
    retro_system_info system{};
    core.retro_get_system_info(&system);
    auto yes = [](bool b) { return b ? "true" : "false"; };
    const std::map<std::string, std::string> says = {
        {"corename", system.library_name},          {"display_version", system.library_version},
        {"supported_extensions", system.valid_extensions}, {"needs_fullpath", yes(system.need_fullpath)},
        {"supports_no_game", yes(loadsNoGame)},     {"core_options", yes(fe.declared.size() > 0)},
        {"input_descriptors", yes(fe.described.size() > 0)}, {"savestate", yes(core.retro_serialize_size() > 0)},
    };
    for (const auto& [key, value] : says) EXPECT_EQ(info[key], value) << key << " in " CORE_INFO;
}

// The keyboard script of the end-to-end play test on the joypad gives the
// reviewed frames, in the pixel format and size the core declared, with one
// poll and silent sound a frame. A state taken mid-game replays the frames
// that followed it on a machine started afresh, even one the desktop program
// saved at 30 fps (the core runs at 60); a damaged one is refused with one
// log line and changes nothing.
TEST_F(Core, JoypadPlaysTheReviewedGameAndAStateReplaysIt) {
    const Reviewed run = reviewed("demo_play");
    ASSERT_TRUE(load(demo.c_str()));
    play(run, 1, 80);
    std::vector<uint8_t> state(core.retro_serialize_size());
    ASSERT_GT(state.size(), 28u);
    EXPECT_FALSE(core.retro_serialize(state.data(), state.size() - 1));
    ASSERT_TRUE(core.retro_serialize(state.data(), state.size()));
    const std::vector<uint64_t> first = play(run, 81, 230);
    retro_system_av_info av{};
    core.retro_get_system_av_info(&av);
    EXPECT_EQ(std::tie(fe.width, fe.height, fe.pitch),
              std::make_tuple(av.geometry.base_width, av.geometry.base_height, size_t{av.geometry.base_width} * 2));
    EXPECT_EQ(fe.format, RETRO_PIXEL_FORMAT_0RGB1555);
    EXPECT_EQ(fe.polls, fe.presented);
    EXPECT_EQ(fe.audioFrames * av.timing.fps, av.timing.sample_rate * fe.presented);
    EXPECT_TRUE(fe.silent);

    core.retro_unload_game();
    EXPECT_EQ(core.retro_get_memory_data(RETRO_MEMORY_SYSTEM_RAM), nullptr) << "RAM after unload";
    core.retro_deinit();
    init();
    ASSERT_TRUE(load(demo.c_str()));
    hashAfter(7);  // somewhere else entirely
    state.back() = 1;  // 30 fps, and the CRC of the body made right again
    const uint32_t crc = uint32_t(crc32(0, state.data() + 28, uInt(state.size() - 28)));
    for (int i = 0; i < 4; ++i) state[24 + i] = uint8_t(crc >> (8 * i));
    ASSERT_TRUE(core.retro_unserialize(state.data(), state.size()));
    auto damaged = state;
    damaged[5000] ^= 0x40;
    fe.log.clear();
    EXPECT_FALSE(core.retro_unserialize(damaged.data(), damaged.size()));
    ASSERT_EQ(fe.log.size(), 1u);
    EXPECT_EQ(fe.log[0].first, RETRO_LOG_ERROR);
    EXPECT_TRUE(fe.log[0].second.starts_with("BePellmora: the state given is damaged")) << fe.log[0].second;
    EXPECT_EQ(play(run, 81, 230), first);
}

// The input test shows every input bit with a lamp of its own: each
// described button, held alone after a load (which powers the board on,
// leaving nothing of the last run), gives a picture of its own, and the
// buttons described are those that play. Set at load, the
// option gives the reviewed input test (frame 30; frame 40, with the
// script's keys held, lights lamps in colours the program never wrote, which
// the board keeps as the reset's 0xFFFF and the frontend gets with bit 15
// clear, so it cannot hash as the board's own). Switched while running, it
// resets the board out of service mode and back, as the desktop program's
// menu item does; set to its value again, it does nothing. Reset restarts
// the program.
TEST_F(Core, ServiceModeOptionAtLoadAndWhileRunningAndReset) {
    setOption("enabled");
    std::vector<int> buttons = {-1};  // none held
    for (const auto& [key, button] : kJoypadOf) buttons.push_back(int(button));
    std::set<uint64_t> pictures;
    for (int button : buttons) {
        ASSERT_TRUE(load(demo.c_str()));
        hashAfter(38);
        fe.held = button < 0 ? 0 : 1u << button;
        EXPECT_TRUE(pictures.insert(hashAfter(2)).second) << "button " << button << " shows another's picture";
        fe.held = 0;
    }
    EXPECT_EQ(fe.described, std::set<unsigned>(buttons.begin() + 1, buttons.end()));

    ASSERT_TRUE(load(demo.c_str()));
    fe.log.clear();
    play(reviewed("demo_service"), 1, 40, 30);
    EXPECT_TRUE(fe.bit15Clear);
    EXPECT_EQ(status(kService), 1u);
    EXPECT_TRUE(fe.log.empty()) << "started in service mode, not reset into it: " << fe.log[0].second;
    hashAfter(60);
    const std::tuple<const char*, uint32_t, bool> switches[] = {
        {"disabled", 0, true}, {"enabled", 1, true}, {"enabled", 1, false}};  // value, service mode, reset
    for (const auto& [value, service, resets] : switches) {
        setOption(value);
        hashAfter(30);
        EXPECT_EQ(status(kService), service) << value;
        EXPECT_EQ(status(kFrame) < 31u, resets) << value << ": the program started again, or not";
    }
    core.retro_reset();
    hashAfter(1);
    EXPECT_LT(status(kFrame), 2u) << "reset: the program did not start again";
}

}  // namespace
