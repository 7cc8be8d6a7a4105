// The picture's cost, through the board's interface: the fill and a full list
// of visible opaque sprites, the fill and a list that shows nothing, and a
// whole frame with the CPU idle.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "machine.h"
#include "quiet_board.h"

namespace {

Machine& machine = boardMachine();

// A ROM set in memory: a program that stops at once with every interrupt
// masked and no interrupt enabled, and graphics whose pixels are all opaque
// (values 1 to 15).
RomSetFiles idleSet() {
    RomSetFiles set;
    for (auto& file : set.data) {
        file = std::make_unique<unsigned char[]>(kRomFileSize);
        std::memset(file.get(), 0, kRomFileSize);
    }
    const uint16_t program[] = {0x0010, 0x4000, 0x0000, 0x0008,  // SSP, PC
                                0x4E72, 0x2700,                  // stop #$2700
                                0x60FA};                         // bra.s to the stop
    for (size_t i = 0; i < std::size(program); ++i) {
        set.data[0][i] = static_cast<unsigned char>(program[i]);       // odd addresses: low bytes
        set.data[1][i] = static_cast<unsigned char>(program[i] >> 8);  // even addresses: high bytes
    }
    for (size_t file = 0; file < 4; ++file)
        for (size_t i = 0; i < kRomFileSize; ++i) {
            const size_t pixel = 2 * (file * kRomFileSize + i);
            set.data[2 + file][i] = static_cast<unsigned char>((1 + pixel % 15) << 4 | (1 + (pixel + 1) % 15));
        }
    return set;
}

// The idle program started and run to its STOP, with a palette of distinct
// colours and the sprite list `list` fills in. False when it did not start.
bool start(void (*list)(uint16_t (&sprites)[480 * 8])) {
    static const bool started = [] {
        const RomSetFiles set = idleSet();
        const bool ready = quietly(machine, [&] { return machine.startUp("", RomSetSource{&set, ""}); });
        machine.runFrame(KeyStates{});
        return ready;
    }();
    if (!started) return false;
    auto state = std::make_unique<BoardState>();
    machine.capture(*state);
    for (int n = 0; n < 256; ++n) state->drawingPalette[n] = static_cast<uint16_t>(n * 0x0421 & 0x7FFF);
    list(state->spriteRam);
    machine.restore(*state);
    return true;
}

// A full sprite list: 480 entries, every one visible and opaque, chained
// relatively 8 pixels apart across and 13 lines down (30 a row), with a mix
// of tiles, banks and flips.
void fullList(uint16_t (&sprites)[480 * 8]) {
    for (int n = 0; n < 480; ++n) {
        uint16_t attributes = static_cast<uint16_t>((n % 16) << 4);
        uint16_t x = 8, y = 0;
        if (n == 0) {
            x = 0;
            y = 16;
        } else if (n % 30 == 0) {
            attributes |= 0x05;  // relative, X sign: back 232 columns
            x = 256 - 232;
            y = 13;
        } else {
            attributes |= 0x04;
        }
        const uint16_t entry[8] = {0, 0, 0, attributes, x, y, static_cast<uint16_t>(n & 0xFF),
                                   static_cast<uint16_t>((n >> 8) | (n % 4) << 6)};
        std::memcpy(&sprites[8 * n], entry, sizeof entry);
    }
}

// Every entry placed below the picture: the fill and a walk of the list.
void hiddenList(uint16_t (&sprites)[480 * 8]) {
    for (int n = 0; n < 480; ++n) {
        const uint16_t entry[8] = {0, 0, 0, 0, 0, 240, 1, 0};
        std::memcpy(&sprites[8 * n], entry, sizeof entry);
    }
}

void BM_DrawPictureNoVisibleSprite(benchmark::State& state) {
    if (!start(hiddenList)) return state.SkipWithError("the idle program did not start");
    for (auto _ : state) benchmark::DoNotOptimize(machine.drawPicture());
}
BENCHMARK(BM_DrawPictureNoVisibleSprite);

void BM_DrawPicture480Sprites(benchmark::State& state) {
    if (!start(fullList)) return state.SkipWithError("the idle program did not start");
    for (auto _ : state) benchmark::DoNotOptimize(machine.drawPicture());
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["sprites/s"] =
        benchmark::Counter(480.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawPicture480Sprites);

// A whole frame of the idle program: the keys, three slices that return at
// once, the fill and the full sprite list.
void BM_RenderFrameCpuIdle(benchmark::State& state) {
    if (!start(fullList)) return state.SkipWithError("the idle program did not start");
    const KeyStates keys;
    for (auto _ : state) benchmark::DoNotOptimize(machine.runFrame(keys));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderFrameCpuIdle);

}  // namespace
