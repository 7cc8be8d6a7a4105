// The frame-buffer fill: every word, nothing past the frame, the frame
// buffer's own alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "board.h"

namespace {

constexpr size_t kFrameBytes = 114688;  // 256 x 224 pixels of 16 bits
constexpr size_t kGuardBytes = 64;

TEST(FastClear, FillsEveryWordOfTheFrameAndNothingBeforeOrAfter) {
    std::vector<uint32_t> memory((kGuardBytes + kFrameBytes + kGuardBytes) / 4);
    auto* bytes = reinterpret_cast<unsigned char*>(memory.data());
    std::memset(bytes, 0x5A, memory.size() * 4);
    fastClear(bytes + kGuardBytes, 0x12345678);
    for (size_t i = 0; i < kGuardBytes; ++i) ASSERT_EQ(bytes[i], 0x5A) << "byte " << i << " before";
    for (size_t i = 0; i < kGuardBytes; ++i)
        ASSERT_EQ(bytes[kGuardBytes + kFrameBytes + i], 0x5A) << "byte " << i << " after the 114688th";
    // Each 32-bit store holds the pattern as a host value.
    for (size_t w = 0; w < kFrameBytes / 4; ++w) {
        uint32_t v;
        std::memcpy(&v, bytes + kGuardBytes + 4 * w, 4);
        ASSERT_EQ(v, 0x12345678u) << "word " << w;
    }
}

TEST(FastClear, FrameBufferIsAlignedForWordStores) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(render_offscreen) % alignof(uint32_t), 0u);
    EXPECT_EQ(sizeof render_offscreen, kFrameBytes);
}

}  // namespace
