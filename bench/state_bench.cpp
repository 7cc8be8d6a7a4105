// Save states on the demo ROM set after 120 frames: the whole Save state and
// Load state commands as the window runs them (capture and image, the slot
// file replaced with a flush to the disk; the file read, checked and
// restored), their in-memory parts alone, and the ROM set's hash, which the
// window takes once, at boot.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "atomic_file.h"
#include "machine.h"
#include "quiet_board.h"
#include "save_state.h"

#ifndef BENCH_DEMO_DIR
#error "BENCH_DEMO_DIR must name the demo ROM set's directory"
#endif

namespace {

Machine& machine = boardMachine();


// The demo started and run for 120 frames, once; false when it did not load.
bool demoRunning() {
    static const bool running = startQuietly(machine, BENCH_DEMO_DIR, 120);
    return running;
}

// A directory for the slot file, removed at the end.
struct SlotDirectory {
    std::filesystem::path dir;
    SlotDirectory() {
        char name[] = "/tmp/bevorel-state-bench-XXXXXX";
        dir = mkdtemp(name);
    }
    ~SlotDirectory() { std::filesystem::remove_all(dir); }
    std::string slot() const { return (dir / "0123456789abcdef-slot0.state").string(); }
};

void BM_SaveStateCommand(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    SlotDirectory files;
    BoardState board;
    const uint64_t hash = machine.romSetHash();
    for (auto _ : state) {
        machine.capture(board);
        const std::vector<uint8_t> image = encodeState(board, hash);
        std::string error;
        if (!writeFileAtomically(files.slot(), image.data(), image.size(), error)) return state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_SaveStateCommand)->Unit(benchmark::kMillisecond);

void BM_LoadStateCommand(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    SlotDirectory files;
    BoardState board;
    machine.capture(board);
    const uint64_t hash = machine.romSetHash();
    const std::vector<uint8_t> saved = encodeState(board, hash);
    std::string error;
    if (!writeFileAtomically(files.slot(), saved.data(), saved.size(), error)) return state.SkipWithError(error.c_str());
    for (auto _ : state) {
        std::vector<uint8_t> image;
        if (readWholeFile(files.slot(), 1 << 20, image, error) != ReadStatus::Read ||
            !decodeState(image.data(), image.size(), hash, board, error))
            return state.SkipWithError(error.c_str());
        machine.restore(board);
    }
}
BENCHMARK(BM_LoadStateCommand)->Unit(benchmark::kMillisecond);

// What a save stops the game for: the capture (the image is made and written
// once the game runs again).
void BM_Capture(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    BoardState board;
    for (auto _ : state) {
        machine.capture(board);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMicrosecond);

void BM_CaptureAndEncode(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    BoardState board;
    for (auto _ : state) {
        machine.capture(board);
        benchmark::DoNotOptimize(encodeState(board, 1));
    }
}
BENCHMARK(BM_CaptureAndEncode)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndRestore(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    BoardState board;
    machine.capture(board);
    const std::vector<uint8_t> image = encodeState(board, 1);
    std::string error;
    for (auto _ : state) {
        if (!decodeState(image.data(), image.size(), 1, board, error)) return state.SkipWithError(error.c_str());
        machine.restore(board);
    }
}
BENCHMARK(BM_DecodeAndRestore)->Unit(benchmark::kMicrosecond);

void BM_RomSetHash(benchmark::State& state) {
    if (!demoRunning()) return state.SkipWithError("the demo ROM set did not load");
    for (auto _ : state) benchmark::DoNotOptimize(machine.romSetHash());
}
BENCHMARK(BM_RomSetHash)->Unit(benchmark::kMicrosecond);

}  // namespace
