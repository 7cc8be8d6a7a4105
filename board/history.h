// The recent past of a running machine, kept so that play can go back: the
// keys and speed of every frame, and a snapshot of the machine every few
// frames, in bounded memory. The machine is deterministic (keys are read once
// at the start of each frame), so any earlier frame is the nearest earlier
// snapshot run forward with the recorded inputs.
//
// Storage: the newest snapshot is kept whole; every older one is kept as the
// XOR of it with the snapshot after it, compressed with LZ4 (mostly zeros: about
// 1 KiB each on the demo; LZ4 compresses 4 times and expands 15 times faster
// than zstd's fastest level, which makes them 40% smaller). Going back undoes the differences one
// at a time from the newest; forgetting the oldest past is dropping the first
// difference. Uses only the Machine interface, no board globals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "machine.h"

struct HistoryLimits {
    uint32_t seconds = 300;          // at least this much play is kept (while the memory allows)
    uint32_t framesPerSecond = 60;   // frames in a second of play
    size_t bytes = size_t{64} << 20;  // never more memory than this
    uint32_t snapshotInterval = 8;   // frames between snapshots: 4 % of an unpaced demo frame's work
};

class History {
public:
    explicit History(HistoryLimits limits = {});

    // A new history beginning at the machine as it stands now (frame 0).
    void start(const Machine& machine);
    // No history at all.
    void clear();
    bool started() const { return fStarted; }

    // After the machine ran a frame with `input`: records it, and the machine
    // as the frame left it when a snapshot is due; forgets the oldest past
    // beyond the limits.
    void frameRan(const Machine& machine, const FrameInput& input);

    // Frames since the history began (the machine is before frame now()).
    uint64_t now() const { return fNow; }
    // The earliest frame play can go back to.
    uint64_t oldest() const { return fDiffs.empty() ? fTop.frame : fDiffs.front().frame; }
    // The input of frame `frame`, oldest() <= frame < now().
    const FrameInput& input(uint64_t frame) const { return fInputs[frame - fInputsBase]; }

    // Puts the machine where it was before frame `frame` (oldest() <= frame
    // <= now()) and draws that picture; what was recorded after it is
    // forgotten, so play goes on from there. False, nothing changed, when
    // the frame is not kept.
    bool goTo(Machine& machine, uint64_t frame);
    // The frame of the newest snapshot at or before `frame` (oldest() <=
    // frame <= now()): where goTo(frame) starts running frames again.
    uint64_t snapshotBefore(uint64_t frame) const;
    // goTo(now() - 1): one frame back. False at the start of the history.
    bool stepBack(Machine& machine);

    // Memory held, in bytes.
    size_t bytes() const { return fBytes + fInputs.size() * sizeof(FrameInput) + sizeof fTop; }
    size_t snapshots() const { return fStarted ? fDiffs.size() + 1 : 0; }

private:
    struct Snapshot {
        uint64_t frame = 0;
        BoardState state{};
    };
    struct Diff {
        uint64_t frame;             // of the snapshot it gives back
        std::vector<uint8_t> data;  // LZ4 of (that snapshot XOR the next one)
    };
    void snapshot(const Machine& machine);
    void undoNewestDiff();
    void forgetOldest();

    HistoryLimits fLimits;
    bool fStarted = false;
    uint64_t fNow = 0;
    Snapshot fTop;               // the newest snapshot, whole
    std::deque<Diff> fDiffs;     // older snapshots, oldest first
    size_t fBytes = 0;           // of fDiffs' data
    std::deque<FrameInput> fInputs;  // frames fInputsBase to fNow - 1
    uint64_t fInputsBase = 0;
    std::vector<uint8_t> fScratch;
};
