#include "history.h"

#include <lz4.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

void xorInto(BoardState& into, const BoardState& with) {
    auto* a = reinterpret_cast<unsigned char*>(&into);
    const auto* b = reinterpret_cast<const unsigned char*>(&with);
    for (size_t i = 0; i < sizeof(BoardState); ++i) a[i] ^= b[i];
}

}  // namespace

History::History(HistoryLimits limits) : fLimits(limits) {
    fLimits.snapshotInterval = std::max<uint32_t>(fLimits.snapshotInterval, 1);
    fScratch.resize(LZ4_compressBound(sizeof(BoardState)));
}

void History::clear() {
    fStarted = false;
    fNow = 0;
    fDiffs.clear();
    fBytes = 0;
    fInputs.clear();
    fInputsBase = 0;
}

void History::start(const Machine& machine) {
    clear();
    fStarted = true;
    fTop.frame = 0;
    fTop.state = BoardState{};
    machine.capture(fTop.state);
}

void History::snapshot(const Machine& machine) {
    Snapshot next;
    next.frame = fNow;
    machine.capture(next.state);
    BoardState difference = fTop.state;
    xorInto(difference, next.state);
    const int size = LZ4_compress_default(reinterpret_cast<const char*>(&difference),
                                          reinterpret_cast<char*>(fScratch.data()), sizeof difference,
                                          static_cast<int>(fScratch.size()));
    if (size <= 0) throw std::runtime_error("history: lz4 could not compress a snapshot");
    fDiffs.push_back({fTop.frame, std::vector<uint8_t>(fScratch.begin(), fScratch.begin() + static_cast<long>(size))});
    fBytes += static_cast<size_t>(size);
    fTop.frame = next.frame;
    fTop.state = next.state;
}

void History::frameRan(const Machine& machine, const FrameInput& input) {
    if (!fStarted) return;
    fInputs.push_back(input);
    ++fNow;
    if (fNow % fLimits.snapshotInterval == 0) snapshot(machine);
    const uint64_t keep = uint64_t{fLimits.seconds} * fLimits.framesPerSecond;
    // The oldest snapshot goes once the next one alone reaches back far
    // enough, or while the memory is over its bound.
    while (!fDiffs.empty()) {
        const uint64_t next = fDiffs.size() > 1 ? fDiffs[1].frame : fTop.frame;
        if (fNow - next < keep && bytes() <= fLimits.bytes) break;
        forgetOldest();
    }
}

void History::forgetOldest() {
    const uint64_t next = fDiffs.size() > 1 ? fDiffs[1].frame : fTop.frame;
    fBytes -= fDiffs.front().data.size();
    fDiffs.pop_front();
    while (fInputsBase < next) {
        fInputs.pop_front();
        ++fInputsBase;
    }
}

void History::undoNewestDiff() {
    const Diff& diff = fDiffs.back();
    BoardState difference;
    const int size = LZ4_decompress_safe(reinterpret_cast<const char*>(diff.data.data()),
                                         reinterpret_cast<char*>(&difference), static_cast<int>(diff.data.size()),
                                         sizeof difference);
    if (size != static_cast<int>(sizeof difference))
        throw std::runtime_error("history: a snapshot difference does not decompress");
    xorInto(fTop.state, difference);
    fTop.frame = diff.frame;
    fBytes -= diff.data.size();
    fDiffs.pop_back();
}

bool History::goTo(Machine& machine, uint64_t frame) {
    if (!fStarted || frame < oldest() || frame > fNow) return false;
    const Speed current = machine.speed();  // play goes on at the speed asked for now
    while (fTop.frame > frame) undoNewestDiff();
    machine.restore(fTop.state);
    for (uint64_t f = fTop.frame; f < frame; ++f) {
        const FrameInput& in = input(f);
        machine.setSpeed(in.speed);
        machine.runFrame(in.keys, FrameRun{.draw = f + 1 == frame, .replay = true});
    }
    if (fTop.frame == frame) machine.drawPicture();
    machine.setSpeed(current);
    fInputs.resize(static_cast<size_t>(frame - fInputsBase));
    fNow = frame;
    return true;
}

uint64_t History::snapshotBefore(uint64_t frame) const {
    if (fTop.frame <= frame) return fTop.frame;
    for (auto diff = fDiffs.rbegin(); diff != fDiffs.rend(); ++diff)
        if (diff->frame <= frame) return diff->frame;
    return oldest();
}

bool History::stepBack(Machine& machine) { return fNow > 0 && goTo(machine, fNow - 1); }
