// The process's machine: the interface over the board's functions and
// globals, which only the board itself names.
#include <atomic>
#include <cstring>

#include "board.h"
#include "cpudebug.h"
#include "machine.h"
#include "rom_files.h"

namespace {

// What start-up reads while it runs (see RealMachine::startUp).
const RomSetSource* startUpSource = nullptr;

std::unique_ptr<unsigned char[]> sourceFile(const char* name, std::string& reason) {
    if (!startUpSource->unreadable.empty()) {
        reason = startUpSource->unreadable;
        return nullptr;
    }
    return copy_rom_set_file(*startUpSource->files, name, reason);
}

// The keys of the frame runFrame runs.
const KeyStates* frameKeys = nullptr;
// The keys the last frame read, and the host's key source they come from.
KeyStates lastKeys;
KeySource hostKeySource = nullptr;
void frameKeySource(uint8_t keyStates[16]) {
    std::memcpy(keyStates, frameKeys->bytes, sizeof frameKeys->bytes);
    lastKeys = *frameKeys;
}
void keptKeySource(uint8_t keyStates[16]) {
    hostKeySource(keyStates);
    std::memcpy(lastKeys.bytes, keyStates, sizeof lastKeys.bytes);
}

class RealMachine final : public Machine {
public:
    bool startUp(const std::string& directory, const RomSetSource& source) override {
        const bool given = source.files || !source.unreadable.empty();
        startUpSource = &source;
        pm_setRomSource(given ? sourceFile : nullptr);
        pm_initAll(directory.c_str());
        pm_setRomSource(nullptr);
        startUpSource = nullptr;
        return ready();
    }
    bool ready() const override { return codeRom && tilesRom && onboardRam && spriteRam; }
    std::string startUpFailure() const override { return rom_set_failure(); }
    void powerOn() override {
        pm_powerOn();
        fSpeed = Speed::Fps60;
    }
    void reset() override { pm_reset(); }
    void shutDown() override {
        setKeySource(nullptr);
        pm_setConsoleSink(nullptr);
        pm_releaseMemories();
    }

    void setKeySource(KeySource source) override {
        hostKeySource = source;
        fKeySource = source ? keptKeySource : nullptr;
        lastKeys = KeyStates{};
        pm_setKeySource(fKeySource);
    }
    const uint16_t* render(bool debug, bool paused, int fps) override { return pm_render(debug, paused, fps); }
    const uint16_t* runFrame(const KeyStates& keys, const FrameRun& run) override {
        const Hooks hooks;
        if (run.replay) pm_frame_hook = nullptr, pm_slice_runner = nullptr;
        startFrame(keys);
        pm_runSlices(run.instructions, run.hits);
        if (run.draw) pm_drawFrame();
        return render_offscreen;
    }
    FramePoint runFrameStepping(const KeyStates& keys, const std::function<bool()>& visit) override {
        const Hooks hooks;
        pm_frame_hook = nullptr, pm_slice_runner = nullptr;
        startFrame(keys);
        return pm_stepSlices(visit);
    }
    const uint16_t* finishFrame(const FramePoint& point) override {
        pm_finishSlices(point);
        pm_drawFrame();
        return render_offscreen;
    }
    KeyStates lastFrameKeys() const override { return lastKeys; }
    const uint16_t* picture() const override { return render_offscreen; }
    const uint16_t* drawPicture() override {
        pm_drawFrame();
        return render_offscreen;
    }
    uint32_t cycles() const override { return s68000readOdometer(); }

    void setServiceMode(bool on) override { testMode = on ? 1 : 0; }
    bool serviceMode() const override { return testMode != 0; }
    void setSpeed(Speed speed) override {
        fSpeed = speed;
        cpucycles_by_frame.store(cyclesPerFrame(speed), std::memory_order_relaxed);
    }
    Speed speed() const override { return fSpeed; }

    uint64_t romSetHash() const override { return pm_romSetHash(); }
    void capture(BoardState& state) const override { pm_captureState(state, fSpeed); }
    void restore(const BoardState& state) override {
        pm_restoreState(state);
        fSpeed = state.speed;
    }
    std::optional<uint16_t> peekWord(uint32_t address) const override {
        address &= 0xFFFFFF;
        if (address & 1) return std::nullopt;
        // The direct regions of the word reads the board installed.
        for (const data_region& r : pretend_readword) {
            if (r.low_address == 0xFFFFFFFFu) break;
            if (r.handler || !r.user_data || address < r.low_address || address + 1 > r.high_address) continue;
            uint16_t word;
            std::memcpy(&word, static_cast<const unsigned char*>(r.user_data) + (address - r.low_address), 2);
            return word;
        }
        return std::nullopt;
    }
    std::span<unsigned char> memory(Memory which) override {
        switch (which) {
            case Memory::ProgramRom: return codeRom ? std::span(codeRom, kCodeRomSize) : std::span<unsigned char>();
            case Memory::WorkRam: return onboardRam ? std::span(onboardRam, kOnboardRamSize) : std::span<unsigned char>();
            case Memory::SpriteRam: return spriteRam ? std::span(spriteRam, kSpriteRamSize) : std::span<unsigned char>();
            case Memory::Graphics: return tilesRom ? std::span(tilesRom, kTilesRomSize) : std::span<unsigned char>();
        }
        return {};
    }

    void setConsole(ConsoleSink sink) override { pm_setConsoleSink(sink); }
    void setMonitorChecks(void (*stop)(), bool (*leave)()) override {
        cpudebug_stop_check = stop;
        cpudebug_leave_check = leave;
    }
    void setDebugger(void (*frameStart)(), uint32_t (*slice)(int32_t)) override {
        pm_frame_hook = frameStart;
        pm_slice_runner = slice;
    }

private:
    // The debugger's hooks, put back however a frame run without them ends.
    struct Hooks {
        void (*frameStart)() = pm_frame_hook;
        uint32_t (*slice)(int32_t) = pm_slice_runner;
        ~Hooks() { pm_frame_hook = frameStart, pm_slice_runner = slice; }
    };
    // A frame's start with `keys` held.
    void startFrame(const KeyStates& keys) {
        frameKeys = &keys;
        pm_setKeySource(frameKeySource);
        pm_startFrame(false);
        pm_setKeySource(fKeySource);
    }

    KeySource fKeySource = nullptr;
    std::atomic<Speed> fSpeed{Speed::Fps60};
};

}  // namespace

Machine& boardMachine() {
    static RealMachine machine;
    return machine;
}
