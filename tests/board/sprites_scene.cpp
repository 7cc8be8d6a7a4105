// The reference painter and the frame views of sprites_scene.h.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "sprites_scene.h"

namespace sprites_test {

namespace {
unsigned word(const unsigned char* entry, int offset) {
    uint16_t w;
    std::memcpy(&w, entry + offset, 2);
    return w;
}
}  // namespace

std::vector<uint16_t> referenceFrame(const unsigned char* sprites, const unsigned char* tiles,
                                     const uint16_t* palette, uint16_t background) {
    std::vector<uint16_t> frame(kWidth * kHeight, background);
    int X = 0, Y = 0;
    for (int n = 0; n < 480; ++n) {
        const unsigned char* e = sprites + 16 * n;
        const unsigned w6 = word(e, 6), w14 = word(e, 14);
        int dx = static_cast<int>(word(e, 8) % 256);
        int dy = static_cast<int>(word(e, 10) % 256);
        if (w6 & 1) dx -= 256;
        if (w6 & 2) dy -= 256;
        if (w6 & 4) {
            X += dx;
            Y += dy;
        } else {
            X = dx;
            Y = dy;
        }
        if (X > 511) X %= 512;
        if (Y > 511) Y %= 512;
        if (!(X > -16 && X <= 255 && Y > 0 && Y <= 239)) continue;

        const unsigned tile = (w14 % 16) * 256 + word(e, 12) % 256;
        const unsigned bank = w6 & 0xF0;
        for (int r = 0; r < 16; ++r) {
            for (int c = 0; c < 16; ++c) {
                // Where sprite pixel (r, c) comes from once the flips are undone.
                const int sr = (w14 & 0x40) ? 15 - r : r;
                const int sc = (w14 & 0x80) ? 15 - c : c;
                const int quarter = (sr < 8 ? 0 : 2) + (sc < 8 ? 0 : 1);
                const unsigned p = tiles[tile * 256 + quarter * 64 + (sr % 8) * 8 + sc % 8];
                const int fx = X + c, fy = Y - 16 + r;
                if (p != 0 && fx >= 0 && fx < kWidth && fy >= 0 && fy < kHeight)
                    frame[fy * kWidth + fx] = palette[bank + p];
            }
        }
    }
    return frame;
}

std::string writePng(const std::string& name, const uint16_t* frame) {
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const uint16_t p = frame[i];
        rgb[3 * i + 0] = static_cast<unsigned char>(((p >> 10) & 31) * 255 / 31);
        rgb[3 * i + 1] = static_cast<unsigned char>(((p >> 5) & 31) * 255 / 31);
        rgb[3 * i + 2] = static_cast<unsigned char>((p & 31) * 255 / 31);
    }
    const std::string path = ::testing::TempDir() + name + ".png";
    stbi_write_png(path.c_str(), kWidth, kHeight, 3, rgb.data(), kWidth * 3);
    return path;
}

::testing::AssertionResult framesEqual(const std::string& name, const std::vector<uint16_t>& expected) {
    for (int i = 0; i < kWidth * kHeight; ++i) {
        if (render_offscreen[i] == expected[i]) continue;
        int differing = 0;
        for (int j = 0; j < kWidth * kHeight; ++j) differing += render_offscreen[j] != expected[j];
        char first[96];
        std::snprintf(first, sizeof first, "first at (%d, %d): 0x%04X, expected 0x%04X", i % kWidth, i / kWidth,
                      render_offscreen[i], expected[i]);
        return ::testing::AssertionFailure()
               << differing << " pixels differ, " << first << "; frames written to "
               << writePng(name + "-actual", render_offscreen) << " and "
               << writePng(name + "-expected", expected.data());
    }
    return ::testing::AssertionSuccess();
}

}  // namespace sprites_test
