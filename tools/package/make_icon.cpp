// Draws the program's icon, a 16x16 pixel picture (a ship over a starry
// screen, as the demo shows), into PNG files of the sizes the desktop's icon
// theme wants, each pixel a square of whole pixels.
// Usage: make_icon OUT_DIR SIZE...   writes OUT_DIR/SIZE.png for each SIZE.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace {

// One character a pixel: '.' transparent, the others colours below.
constexpr const char* kPicture[16] = {
    "..bbbbbbbbbbbb..",
    ".bkkkkkkkkkkkkb.",
    "bkkkwkkkkkkkkkkb",
    "bkkkkkkkkkkwkkkb",
    "bkkkkkkcckkkkkkb",
    "bkkkkkcwwckkkkkb",
    "bkwkkkcwwckkkkkb",
    "bkkkkcccccckkwkb",
    "bkkkcyccccyckkkb",
    "bkkcyyccccyyckkb",
    "bkkcckrrrrkcckkb",
    "bkkkkkkrrkkkkkkb",
    "bkkwkkkkkkkkkkkb",
    "bkkkkkkkkkkkwkkb",
    ".bkkkkkkkkkkkkb.",
    "..bbbbbbbbbbbb..",
};

struct Rgba {
    unsigned char r, g, b, a;
};

Rgba colour(char c) {
    switch (c) {
        case 'b': return {0x30, 0x38, 0x60, 0xFF};  // the screen's frame
        case 'k': return {0x08, 0x0C, 0x20, 0xFF};  // space
        case 'w': return {0xF0, 0xF0, 0xFF, 0xFF};  // stars and the cockpit
        case 'c': return {0x40, 0xC0, 0xF0, 0xFF};  // the ship
        case 'y': return {0xF0, 0xD0, 0x40, 0xFF};  // its wings' lights
        case 'r': return {0xF0, 0x50, 0x30, 0xFF};  // its flame
        default: return {0, 0, 0, 0};
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    for (int arg = 2; arg < argc; ++arg) {
        const int size = std::atoi(argv[arg]);
        if (size < 16 || size % 16 != 0) {
            std::fprintf(stderr, "%s: the size must be a multiple of 16, not '%s'\n", argv[0], argv[arg]);
            return 2;
        }
        const int scale = size / 16;
        std::vector<Rgba> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) pixels[static_cast<size_t>(y * size + x)] = colour(kPicture[y / scale][x / scale]);
        const std::string path = std::string(argv[1]) + "/" + argv[arg] + ".png";
        if (!stbi_write_png(path.c_str(), size, size, 4, pixels.data(), size * 4)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
