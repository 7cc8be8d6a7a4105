// A Machine that passes every call on to another: the base of a wrapper that
// watches or changes a few of the calls (the pacing benchmark's frame timer)
// while the host drives the board as ever.
#pragma once

#include "machine.h"

class MachineWrapper : public Machine {
public:
    explicit MachineWrapper(Machine& inner) : fInner(inner) {}

    bool startUp(const std::string& directory, const RomSetSource& source = {}) override {
        return fInner.startUp(directory, source);
    }
    bool ready() const override { return fInner.ready(); }
    std::string startUpFailure() const override { return fInner.startUpFailure(); }
    void powerOn() override { fInner.powerOn(); }
    void reset() override { fInner.reset(); }
    void shutDown() override { fInner.shutDown(); }

    void setKeySource(KeySource source) override { fInner.setKeySource(source); }
    const uint16_t* render(bool debug, bool paused, int fps) override { return fInner.render(debug, paused, fps); }
    const uint16_t* runFrame(const KeyStates& keys, const FrameRun& run = {}) override {
        return fInner.runFrame(keys, run);
    }
    FramePoint runFrameStepping(const KeyStates& keys, const std::function<bool()>& visit) override {
        return fInner.runFrameStepping(keys, visit);
    }
    const uint16_t* finishFrame(const FramePoint& point) override { return fInner.finishFrame(point); }
    KeyStates lastFrameKeys() const override { return fInner.lastFrameKeys(); }
    const uint16_t* picture() const override { return fInner.picture(); }
    const uint16_t* drawPicture() override { return fInner.drawPicture(); }
    uint32_t cycles() const override { return fInner.cycles(); }

    void setServiceMode(bool on) override { fInner.setServiceMode(on); }
    bool serviceMode() const override { return fInner.serviceMode(); }
    void setSpeed(Speed speed) override { fInner.setSpeed(speed); }
    Speed speed() const override { return fInner.speed(); }

    uint64_t romSetHash() const override { return fInner.romSetHash(); }
    void capture(BoardState& state) const override { fInner.capture(state); }
    void restore(const BoardState& state) override { fInner.restore(state); }
    std::optional<uint16_t> peekWord(uint32_t address) const override { return fInner.peekWord(address); }
    std::span<unsigned char> memory(Memory which) override { return fInner.memory(which); }

    void setConsole(ConsoleSink sink) override { fInner.setConsole(sink); }
    void setMonitorChecks(void (*stop)(), bool (*leave)()) override { fInner.setMonitorChecks(stop, leave); }
    void setDebugger(void (*frameStart)(), uint32_t (*slice)(int32_t cycles)) override {
        fInner.setDebugger(frameStart, slice);
    }

private:
    Machine& fInner;
};
