// Recording and playing movies on a machine.
#include "movie.h"

uint64_t pictureHash(const uint16_t* picture) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size_t{kScreenWidth} * kScreenHeight; ++i)
        for (int shift = 0; shift < 16; shift += 8) {
            hash ^= static_cast<uint8_t>(picture[i] >> shift);
            hash *= 0x100000001B3ull;
        }
    return hash;
}

void MovieRecorder::beginAtPowerOn(Machine& machine, bool serviceMode) {
    Movie start;
    start.romSetHash = machine.romSetHash();
    start.serviceMode = serviceMode;
    start.hashInterval = fHashInterval;
    begin(start);
    machine.powerOn();
    machine.setServiceMode(serviceMode);
    machine.reset();
}

void MovieRecorder::beginHere(const Machine& machine) {
    Movie start;
    start.romSetHash = machine.romSetHash();
    start.fromState = true;
    start.hashInterval = fHashInterval;
    machine.capture(start.state);
    begin(start);
}

void MovieRecorder::frameRan(const FrameInput& input, const uint16_t* picture) {
    if (!full()) add(input, hashWanted() ? pictureHash(picture) : 0);
}

void MoviePlayer::begin(Machine& machine) {
    fNext = 0;
    fDesynced = false;
    if (fMovie.fromState) {
        machine.restore(fMovie.state);
        return;
    }
    machine.powerOn();
    machine.setServiceMode(fMovie.serviceMode);
    machine.reset();
}

MovieStep MoviePlayer::runFrame(Machine& machine) {
    if (fNext >= fMovie.inputs.size()) return MovieStep::Ended;
    const FrameInput& input = fMovie.inputs[fNext++];
    machine.setSpeed(input.speed);
    const uint16_t* picture = machine.runFrame(input.keys);
    if (fDesynced || fNext % fMovie.hashInterval != 0) return MovieStep::Ran;
    if (pictureHash(picture) == fMovie.pictureHashes[fNext / fMovie.hashInterval - 1]) return MovieStep::Ran;
    fDesynced = true;
    return MovieStep::Desynced;
}
