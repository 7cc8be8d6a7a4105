// Basic types, status codes and geometry of the platform kit.
#pragma once

#include <cstdint>

#include "key_state.h"  // status_t, B_OK

using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint8 = uint8_t;
using bigtime_t = int64_t;  // microseconds
using thread_id = int32_t;

// Failure codes: distinct negative values.
constexpr status_t B_ERROR = -1;
constexpr status_t B_NO_MEMORY = -2;
constexpr status_t B_BAD_VALUE = -3;
constexpr status_t B_BAD_INDEX = -4;
constexpr status_t B_NAME_NOT_FOUND = -5;
constexpr status_t B_BAD_TYPE = -6;
constexpr status_t B_BAD_THREAD_ID = -7;
constexpr status_t B_NO_MORE_THREADS = -8;
constexpr status_t B_ENTRY_NOT_FOUND = -9;
constexpr status_t B_NO_INIT = -10;

// The message every looper understands as "close".
constexpr uint32 B_QUIT_REQUESTED = 0x5F515251;  // '_QRQ'

struct rgb_color {
    uint8 red, green, blue, alpha;
};

struct BPoint {
    float x = 0, y = 0;
    constexpr BPoint() = default;
    constexpr BPoint(float px, float py) : x(px), y(py) {}
};

// A rectangle that counts both edges: (0, 0, 256, 224) is 257 by 225 pixels.
struct BRect {
    float left = 0, top = 0, right = -1, bottom = -1;
    constexpr BRect() = default;
    constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
    constexpr float Width() const { return right - left; }
    constexpr float Height() const { return bottom - top; }
    constexpr int32 IntegerWidth() const { return static_cast<int32>(right - left); }
    constexpr int32 IntegerHeight() const { return static_cast<int32>(bottom - top); }
    constexpr void OffsetBy(float dx, float dy) { left += dx; right += dx; top += dy; bottom += dy; }
};
