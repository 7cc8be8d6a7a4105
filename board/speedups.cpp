// The frame-buffer fill: one pass of aligned 32-bit stores, two pixels a store.
#include "board.h"

namespace {
// The frame buffer is declared as 16-bit pixels; stores go through a type the
// compiler treats as able to alias it.
using aliasing_word = uint32_t __attribute__((may_alias));

constexpr uint32_t kFrameWords = kScreenWidth * kScreenHeight * sizeof(uint16_t) / sizeof(uint32_t);
static_assert(kFrameWords == 28672);
}  // namespace

void fastClear(void* destination, uint32_t pattern) {
    auto* word = static_cast<aliasing_word*>(destination);
    for (uint32_t i = 0; i < kFrameWords; ++i) word[i] = pattern;
}
