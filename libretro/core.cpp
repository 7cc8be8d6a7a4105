// The libretro API over the board: content loading, one board frame per
// retro_run, the joypad as the board's controls, service mode as a core
// option. The board's state is process-wide, so there is one core per
// process, as libretro expects.
#include <libretro.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "joypad.h"
#include "machine.h"
#include "rom_set_content.h"
#include "save_state.h"

namespace {

constexpr unsigned kPitch = kScreenWidth * sizeof(uint16_t);
constexpr double kFramesPerSecond = 60.0;
constexpr double kSampleRate = 48000.0;
constexpr size_t kSamplesPerFrame = 800;  // 48000 / 60: silence, the sound board is not emulated
constexpr const char* kServiceModeKey = "bevorel_service_mode";

retro_environment_t environment;
retro_video_refresh_t videoRefresh;
retro_audio_sample_batch_t audioBatch;
retro_input_poll_t inputPoll;
retro_input_state_t inputState;
retro_log_printf_t frontendLog;

Machine& board = boardMachine();
bool gameLoaded = false;
uint64_t romSetHash = 0;  // the loaded set's, which its states carry
unsigned long framesRun = 0;  // since the content was loaded
uint16_t picture[kScreenWidth * kScreenHeight];
int16_t silence[2 * kSamplesPerFrame];

void log_line(retro_log_level level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void log_line(retro_log_level level, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (frontendLog) frontendLog(level, "%s\n", text);
    else std::fprintf(stderr, "%s\n", text);
}

// The board's console report (banner, start-up, resets) goes to the
// frontend's log line by line; without a log it stays on standard output.
std::string consoleLine;
void console_to_log(const char* text) {
    consoleLine += text;
    for (size_t end; (end = consoleLine.find('\n')) != std::string::npos; consoleLine.erase(0, end + 1))
        if (end > 0 && frontendLog) frontendLog(RETRO_LOG_INFO, "%s\n", consoleLine.substr(0, end).c_str());
}

bool service_mode_wanted() {
    retro_variable variable{kServiceModeKey, nullptr};
    return environment && environment(RETRO_ENVIRONMENT_GET_VARIABLE, &variable) && variable.value &&
           std::strcmp(variable.value, "enabled") == 0;
}

// As the desktop program's Service mode command: the flag, then a reset.
void follow_service_mode_option() {
    const bool wanted = service_mode_wanted();
    if (wanted == board.serviceMode()) return;
    board.setServiceMode(wanted);
    board.reset();
}

}  // namespace

unsigned retro_api_version() { return RETRO_API_VERSION; }

void retro_set_environment(retro_environment_t callback) {
    environment = callback;
    static const retro_variable variables[] = {
        {kServiceModeKey, "Service mode (resets the board); disabled|enabled"},
        {nullptr, nullptr},
    };
    callback(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable*>(variables));
    retro_log_callback log{};
    frontendLog = callback(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &log) ? log.log : nullptr;
    board.setConsole(frontendLog ? console_to_log : nullptr);
}

void retro_set_video_refresh(retro_video_refresh_t callback) { videoRefresh = callback; }
void retro_set_audio_sample(retro_audio_sample_t) {}
void retro_set_audio_sample_batch(retro_audio_sample_batch_t callback) { audioBatch = callback; }
void retro_set_input_poll(retro_input_poll_t callback) { inputPoll = callback; }
void retro_set_input_state(retro_input_state_t callback) { inputState = callback; }

void retro_init() { gameLoaded = false; }

// The frontend may unload the module next: nothing of the board stays.
void retro_deinit() {
    gameLoaded = false;
    board.shutDown();
    consoleLine.clear();
}

void retro_get_system_info(retro_system_info* info) {
    *info = retro_system_info{};
    info->library_name = "BePellmora";
    info->library_version = BEVOREL_VERSION;
    info->valid_extensions = "zip|2a|3a";
    info->need_fullpath = true;  // the core reads the directory or archive itself
    info->block_extract = true;  // an archive is the whole set, not one file to extract
}

void retro_get_system_av_info(retro_system_av_info* info) {
    *info = retro_system_av_info{};
    info->geometry.base_width = info->geometry.max_width = kScreenWidth;
    info->geometry.base_height = info->geometry.max_height = kScreenHeight;
    info->geometry.aspect_ratio = 8.0f / 7.0f;
    info->timing.fps = kFramesPerSecond;
    info->timing.sample_rate = kSampleRate;
}

void retro_set_controller_port_device(unsigned, unsigned) {}

bool retro_load_game(const retro_game_info* game) {
    if (!game || !game->path) {
        log_line(RETRO_LOG_ERROR, "BePellmora needs content: a ROM set directory, one of its six files or a .zip");
        return false;
    }
    RomSetFiles set;
    std::string error;
    if (!load_rom_set(game->path, set, error)) {
        log_line(RETRO_LOG_ERROR, "BePellmora cannot load the ROM set: %s", error.c_str());
        return false;
    }
    retro_pixel_format format = RETRO_PIXEL_FORMAT_0RGB1555;
    if (environment && !environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) {
        log_line(RETRO_LOG_ERROR, "BePellmora: the frontend refuses the 0RGB1555 pixel format");
        return false;
    }

    gameLoaded = false;
    board.powerOn();
    board.setServiceMode(service_mode_wanted());
    // The banner names the set's directory when it fits start-up's buffer.
    const std::string prefix = set.directory + "/";
    const bool ready = board.startUp(prefix.size() < kDirectoryCapacity ? prefix : "", RomSetSource{&set, ""});
    std::fflush(stdout);
    console_to_log("\n");  // what is left of the report, if its last line had no end
    if (!ready) {
        log_line(RETRO_LOG_ERROR, "BePellmora: the board did not start (out of memory)");
        return false;
    }
    if (environment)
        environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, const_cast<retro_input_descriptor*>(joypad_descriptors()));
    romSetHash = board.romSetHash();
    gameLoaded = true;
    framesRun = 0;
    return true;
}

bool retro_load_game_special(unsigned, const retro_game_info*, size_t) { return false; }

void retro_unload_game() {
    if (gameLoaded) log_line(RETRO_LOG_INFO, "BePellmora: unloaded after %lu frames", framesRun);
    gameLoaded = false;
}

void retro_reset() {
    if (gameLoaded) board.reset();
}

void retro_run() {
    if (!gameLoaded) return;
    bool updated = false;
    if (environment && environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated) && updated)
        follow_service_mode_option();
    if (inputPoll) inputPoll();
    const uint16_t* frame = board.runFrame(joypad_keys(inputState));
    ++framesRun;
    // The frontend wants bit 15 clear; a reset's white fill sets it.
    for (size_t i = 0; i < std::size(picture); ++i) picture[i] = frame[i] & 0x7FFF;
    if (videoRefresh) videoRefresh(picture, kScreenWidth, kScreenHeight, kPitch);
    if (audioBatch) audioBatch(silence, kSamplesPerFrame);
}

unsigned retro_get_region() { return RETRO_REGION_NTSC; }

// States in the desktop program's format. The core always runs 60 fps frames:
// its states say so, and a state the desktop program saved at another speed
// is restored at this one.
size_t retro_serialize_size() { return gameLoaded ? save_state::kImageSize : 0; }

bool retro_serialize(void* data, size_t size) {
    if (!gameLoaded || size < save_state::kImageSize) return false;
    BoardState state;
    board.capture(state);
    const std::vector<uint8_t> image = encodeState(state, romSetHash);
    std::memcpy(data, image.data(), image.size());
    return true;
}

bool retro_unserialize(const void* data, size_t size) {
    if (!gameLoaded) return false;
    BoardState state;
    std::string error;
    if (!decodeState(static_cast<const uint8_t*>(data), size, romSetHash, state, error)) {
        log_line(RETRO_LOG_ERROR, "BePellmora: the state given %s", error.c_str());
        return false;
    }
    board.restore(state);
    board.setSpeed(Speed::Fps60);
    return true;
}

void retro_cheat_reset() {}
void retro_cheat_set(unsigned, bool, const char*) {}

// Work RAM as the core keeps it: each 68000 word in host byte order.
void* retro_get_memory_data(unsigned id) {
    return id == RETRO_MEMORY_SYSTEM_RAM && gameLoaded ? board.memory(Memory::WorkRam).data() : nullptr;
}
size_t retro_get_memory_size(unsigned id) {
    return id == RETRO_MEMORY_SYSTEM_RAM && gameLoaded ? board.memory(Memory::WorkRam).size() : 0;
}
