// A small libretro frontend for the tests: it loads the core with dlopen,
// answers its environment calls (core options, log, pixel format, input
// descriptors), feeds it a joypad on port 0 and keeps every frame, sound
// batch and log line it gets. One at a time per process, as the core.
#pragma once

#include <libretro.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace libretro_test {

struct LogLine {
    retro_log_level level;
    std::string text;
};

class TestFrontend {
public:
    // Loads the core at `path` and calls retro_set_* and retro_init. Check
    // ok() (and error()) before using it.
    explicit TestFrontend(const std::string& path);
    ~TestFrontend();
    TestFrontend(const TestFrontend&) = delete;
    TestFrontend& operator=(const TestFrontend&) = delete;

    bool ok() const { return handle_ && missing_.empty(); }
    std::string error() const;

    // retro_load_game with a path (need_fullpath cores get no data), or
    // with no game at all when `path` is null.
    bool load(const char* path);
    void unload();
    // retro_deinit then retro_init, as a frontend that keeps the module.
    void reinit();
    void reset();
    // Runs `count` frames (retro_run each).
    void run(int count = 1);

    void hold(unsigned button, bool held);
    void releaseAll();
    // Sets a core option as the user would in the frontend's menu.
    void setOption(const std::string& key, const std::string& value);

    // The last frame the core presented, row by row without padding.
    const std::vector<uint16_t>& frame() const { return frame_; }
    unsigned frameWidth() const { return width_; }
    unsigned frameHeight() const { return height_; }
    size_t framePitch() const { return pitch_; }
    int framesPresented() const { return presented_; }
    // 64-bit FNV-1a over the pixels, low byte first (the end-to-end tests' hash).
    uint64_t frameHash() const;

    size_t audioFramesReceived() const { return audioFrames_; }
    bool audioAllSilent() const { return audioSilent_; }
    int inputPolls() const { return polls_; }
    retro_pixel_format pixelFormat() const { return pixelFormat_; }
    bool pixelFormatSet() const { return pixelFormatSet_; }
    const std::vector<retro_input_descriptor>& descriptors() const { return descriptors_; }
    const std::vector<LogLine>& log() const { return log_; }
    void clearLog() { log_.clear(); }

    // The entry points, for the tests that call them directly.
    struct Api {
        decltype(&retro_set_environment) set_environment;
        decltype(&retro_set_video_refresh) set_video_refresh;
        decltype(&retro_set_audio_sample) set_audio_sample;
        decltype(&retro_set_audio_sample_batch) set_audio_sample_batch;
        decltype(&retro_set_input_poll) set_input_poll;
        decltype(&retro_set_input_state) set_input_state;
        decltype(&retro_init) init;
        decltype(&retro_deinit) deinit;
        decltype(&retro_api_version) api_version;
        decltype(&retro_get_system_info) get_system_info;
        decltype(&retro_get_system_av_info) get_system_av_info;
        decltype(&retro_set_controller_port_device) set_controller_port_device;
        decltype(&retro_reset) reset;
        decltype(&retro_run) run;
        decltype(&retro_serialize_size) serialize_size;
        decltype(&retro_serialize) serialize;
        decltype(&retro_unserialize) unserialize;
        decltype(&retro_load_game) load_game;
        decltype(&retro_unload_game) unload_game;
        decltype(&retro_get_memory_data) get_memory_data;
        decltype(&retro_get_memory_size) get_memory_size;
    };
    const Api& api() const { return api_; }

private:
    friend struct Callbacks;
    bool environment(unsigned command, void* data);

    void* handle_ = nullptr;
    std::string dlError_;
    std::vector<std::string> missing_;
    Api api_{};
    bool loaded_ = false;

    std::map<std::string, std::string> declared_;
    std::map<std::string, std::string> options_;
    bool optionsUpdated_ = false;
    retro_pixel_format pixelFormat_ = RETRO_PIXEL_FORMAT_0RGB1555;
    bool pixelFormatSet_ = false;
    std::vector<retro_input_descriptor> descriptors_;
    std::vector<std::string> descriptorTexts_;  // owns the descriptions
    std::vector<LogLine> log_;

    std::vector<uint16_t> frame_;
    unsigned width_ = 0, height_ = 0;
    size_t pitch_ = 0;
    int presented_ = 0;
    size_t audioFrames_ = 0;
    bool audioSilent_ = true;
    int polls_ = 0;
    uint32_t held_ = 0;  // bit n: joypad button n on port 0
};

}  // namespace libretro_test
