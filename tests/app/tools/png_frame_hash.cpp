// Prints the frame hash of a 256 x 224 screenshot: the 15-bit pixel values
// recovered from the PNG's 8-bit components, hashed as the end-to-end tests
// hash the board's frame buffer (64-bit FNV-1a, low byte of each pixel first).
// With --rgb565 the PNG holds each pixel's 16-bit value read as RGB565, as
// RetroArch 1.14 writes a screenshot of a 0RGB1555 frame taken without the
// GPU: the value is recovered whole (a set bit 15 shows as red bit 4).
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../../common/frame_hash.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

int main(int argc, char** argv) {
    const bool rgb565 = argc == 3 && std::strcmp(argv[1], "--rgb565") == 0;
    if (argc != 2 && !rgb565) {
        std::fprintf(stderr, "usage: %s [--rgb565] FRAME.png\n", argv[0]);
        return 2;
    }
    const char* file = argv[argc - 1];
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load(file, &width, &height, &channels, 3);
    if (!rgb) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", argv[0], file, stbi_failure_reason());
        return 1;
    }
    if (width != 256 || height != 224) {
        std::fprintf(stderr, "%s: %s is %d x %d, not 256 x 224\n", argv[0], file, width, height);
        stbi_image_free(rgb);
        return 1;
    }
    std::vector<uint16_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char* p = rgb + i * 3;
        pixels[i] = rgb565 ? static_cast<uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | (p[2] >> 3))
                           : static_cast<uint16_t>((p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3));
    }
    stbi_image_free(rgb);
    std::printf("0x%016" PRIX64 "\n", frame_hash(pixels.data(), pixels.size()));
    return 0;
}
