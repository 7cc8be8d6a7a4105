// The picture's cost: the fill, the sprite pass over a full list of visible
// opaque sprites, and a whole frame of the driver with the CPU idle.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "board.h"

namespace {

// A full sprite list: 480 entries, every one visible and opaque, chained
// relatively 8 pixels apart across and 13 lines down (30 a row), with a mix
// of tiles, banks and flips.
struct FullList {
    std::vector<unsigned char> tiles = std::vector<unsigned char>(0x100000);
    std::vector<unsigned char> sprites = std::vector<unsigned char>(480 * 16);

    FullList() {
        for (size_t i = 0; i < tiles.size(); ++i) tiles[i] = static_cast<unsigned char>(1 + i % 15);
        for (int n = 0; n < 256; ++n) dynamicPalette[n] = static_cast<uint16_t>(n * 0x0421 & 0x7FFF);
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
            std::memcpy(&sprites[16 * n], entry, sizeof entry);
        }
        tilesRom = tiles.data();
        spriteRam = sprites.data();
    }
};

void BM_FastClear(benchmark::State& state) {
    for (auto _ : state) {
        fastClear(render_offscreen, 0x7C007C00);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * sizeof render_offscreen);
}
BENCHMARK(BM_FastClear);

void BM_RefreshDisplay480Sprites(benchmark::State& state) {
    FullList list;
    for (auto _ : state) {
        refreshDisplay();
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["sprites/s"] =
        benchmark::Counter(480.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RefreshDisplay480Sprites);

// pm_render with a program that stops at once with every interrupt masked
// and no interrupt enabled: the frame is the keyboard, three slices that
// return at once, the fill and the full sprite list.
void BM_RenderFrameCpuIdle(benchmark::State& state) {
    FullList list;
    static uint16_t rom[0x40000 / 2];
    static unsigned char ram[0x4000];
    const uint16_t program[] = {0x0010, 0x4000, 0x0000, 0x0008,  // SSP, PC
                                0x4E72, 0x2700,                  // stop #$2700
                                0x60FA};                         // bra.s to the stop
    std::memcpy(rom, program, sizeof program);
    codeRom = reinterpret_cast<unsigned char*>(rom);
    onboardRam = ram;
    NextInterrupt = 0;
    s68000init();
    pm_defineMemoryMap();
    s68000reset();
    pm_render(false, false, 60);  // runs to the STOP
    for (int n = 0; n < 256; ++n) dynamicPalette[n] = static_cast<uint16_t>(n * 0x0421 & 0x7FFF);

    for (auto _ : state) benchmark::DoNotOptimize(pm_render(false, false, 60));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderFrameCpuIdle);

}  // namespace
