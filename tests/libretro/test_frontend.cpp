#include "test_frontend.h"

#include "../common/frame_hash.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace libretro_test {

namespace {
TestFrontend* current = nullptr;  // the callbacks carry no context
}

// The C callbacks the core is handed, forwarding to the current frontend.
struct Callbacks {
    static bool environment(unsigned command, void* data) { return current && current->environment(command, data); }

    static void video(const void* data, unsigned width, unsigned height, size_t pitch) {
        TestFrontend& f = *current;
        ++f.presented_;
        if (!data) return;  // a repeated frame
        f.width_ = width;
        f.height_ = height;
        f.pitch_ = pitch;
        f.frame_.resize(size_t(width) * height);
        for (unsigned y = 0; y < height; ++y)
            std::memcpy(&f.frame_[size_t(y) * width], static_cast<const char*>(data) + y * pitch, width * 2);
    }

    static void audioSample(int16_t left, int16_t right) {
        ++current->audioFrames_;
        if (left || right) current->audioSilent_ = false;
    }

    static size_t audioBatch(const int16_t* data, size_t frames) {
        current->audioFrames_ += frames;
        for (size_t i = 0; i < 2 * frames; ++i)
            if (data[i]) current->audioSilent_ = false;
        return frames;
    }

    static void inputPoll() { ++current->polls_; }

    static int16_t inputState(unsigned port, unsigned device, unsigned index, unsigned id) {
        if (port != 0 || device != RETRO_DEVICE_JOYPAD || index != 0 || id > 31) return 0;
        return (current->held_ >> id) & 1;
    }

    static void log(retro_log_level level, const char* format, ...) {
        char text[2048];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        std::string line = text;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        current->log_.push_back({level, line});
    }
};

TestFrontend::TestFrontend(const std::string& path) {
    current = this;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        dlError_ = why ? why : "dlopen failed";
        return;
    }
    auto bind = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(handle_, name));
        if (!entry) missing_.push_back(name);
    };
    bind(api_.set_environment, "retro_set_environment");
    bind(api_.set_video_refresh, "retro_set_video_refresh");
    bind(api_.set_audio_sample, "retro_set_audio_sample");
    bind(api_.set_audio_sample_batch, "retro_set_audio_sample_batch");
    bind(api_.set_input_poll, "retro_set_input_poll");
    bind(api_.set_input_state, "retro_set_input_state");
    bind(api_.init, "retro_init");
    bind(api_.deinit, "retro_deinit");
    bind(api_.api_version, "retro_api_version");
    bind(api_.get_system_info, "retro_get_system_info");
    bind(api_.get_system_av_info, "retro_get_system_av_info");
    bind(api_.set_controller_port_device, "retro_set_controller_port_device");
    bind(api_.reset, "retro_reset");
    bind(api_.run, "retro_run");
    bind(api_.serialize_size, "retro_serialize_size");
    bind(api_.serialize, "retro_serialize");
    bind(api_.unserialize, "retro_unserialize");
    bind(api_.load_game, "retro_load_game");
    bind(api_.unload_game, "retro_unload_game");
    bind(api_.get_memory_data, "retro_get_memory_data");
    bind(api_.get_memory_size, "retro_get_memory_size");
    for (const char* name : {"retro_cheat_reset", "retro_cheat_set", "retro_load_game_special", "retro_get_region"})
        if (!dlsym(handle_, name)) missing_.push_back(name);
    if (!missing_.empty()) return;

    api_.set_environment(Callbacks::environment);
    api_.init();
    api_.set_video_refresh(Callbacks::video);
    api_.set_audio_sample(Callbacks::audioSample);
    api_.set_audio_sample_batch(Callbacks::audioBatch);
    api_.set_input_poll(Callbacks::inputPoll);
    api_.set_input_state(Callbacks::inputState);
}

TestFrontend::~TestFrontend() {
    if (ok()) {
        if (loaded_) api_.unload_game();
        api_.deinit();
    }
    if (handle_) dlclose(handle_);
    current = nullptr;
}

std::string TestFrontend::error() const {
    if (!handle_) return "cannot load the core: " + dlError_;
    std::string text = "the core does not export";
    for (const auto& name : missing_) text += " " + name;
    return text;
}


bool TestFrontend::load(const char* path) {
    if (loaded_) unload();
    if (!path) return loaded_ = api_.load_game(nullptr);
    retro_game_info game{path, nullptr, 0, nullptr};
    return loaded_ = api_.load_game(&game);
}

void TestFrontend::unload() {
    api_.unload_game();
    loaded_ = false;
}

void TestFrontend::reinit() {
    api_.deinit();
    api_.set_environment(Callbacks::environment);
    api_.init();
}

void TestFrontend::reset() { api_.reset(); }

void TestFrontend::run(int count) {
    for (int i = 0; i < count; ++i) api_.run();
}

void TestFrontend::hold(unsigned button, bool held) {
    if (held) held_ |= 1u << button;
    else held_ &= ~(1u << button);
}

void TestFrontend::releaseAll() { held_ = 0; }

void TestFrontend::setOption(const std::string& key, const std::string& value) {
    options_[key] = value;
    optionsUpdated_ = true;
}

uint64_t TestFrontend::frameHash() const { return frame_hash(frame_.data(), frame_.size()); }

bool TestFrontend::environment(unsigned command, void* data) {
    switch (command) {
        case RETRO_ENVIRONMENT_SET_VARIABLES:
            for (auto* v = static_cast<const retro_variable*>(data); v->key; ++v) declared_[v->key] = v->value;
            return true;
        case RETRO_ENVIRONMENT_GET_VARIABLE: {
            auto* v = static_cast<retro_variable*>(data);
            optionsUpdated_ = false;
            v->value = nullptr;
            const auto declared = declared_.find(v->key);
            if (declared == declared_.end()) return false;
            const auto set = options_.find(v->key);
            if (set != options_.end()) {
                v->value = set->second.c_str();
            } else {  // the first value of "description; a|b" is the default
                static std::string first;
                const std::string& text = declared->second;
                const size_t start = text.find("; ") + 2;
                first = text.substr(start, text.find('|', start) - start);
                v->value = first.c_str();
            }
            return true;
        }
        case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
            *static_cast<bool*>(data) = optionsUpdated_;
            return true;
        case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
            static_cast<retro_log_callback*>(data)->log = Callbacks::log;
            return true;
        case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
            pixelFormat_ = *static_cast<const retro_pixel_format*>(data);
            pixelFormatSet_ = true;
            return true;
        case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
            descriptors_.clear();
            descriptorTexts_.clear();
            for (auto* d = static_cast<const retro_input_descriptor*>(data); d->description; ++d) {
                descriptors_.push_back(*d);
                descriptorTexts_.push_back(d->description);
            }
            for (size_t i = 0; i < descriptors_.size(); ++i) descriptors_[i].description = descriptorTexts_[i].c_str();
            return true;
        default:
            return false;
    }
}

}  // namespace libretro_test
