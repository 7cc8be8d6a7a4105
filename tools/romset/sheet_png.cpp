#include "sheet_png.h"

#include <cstdio>
#include <memory>
#include <set>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "layout.h"
#include "rom_error.h"

namespace romset {

namespace {

std::string colourName(uint32_t rgba) {
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", unsigned(rgba));
    return text;
}

}  // namespace

int pixelValueOf(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (a == 0) return 0;
    if (a != 255 || r != g || g != b || r % 17 != 0) return -1;
    return r / 17;
}

TileSheet readSheetPng(const std::string& path) {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> data(stbi_load(path.c_str(), &width, &height, &channels, 4),
                                                   stbi_image_free);
    if (!data) throw RomError("cannot read " + path + " as an image: " + stbi_failure_reason());
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width != kSheetWidth || height % kTileSize != 0 || height < kTileSize || height > kSheetMaxRows * kTileSize)
        throw RomError(path + " is " + size + " pixels; a tile sheet is 256 pixels wide (16 tiles) and 16 to 4096 "
                                          "pixels high in whole tiles of 16");

    const auto* rgba = data.get();
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::set<uint32_t> colours;
    for (std::size_t i = 0; i < count; ++i) {
        const auto* p = rgba + 4 * i;
        // Transparent pixels count as black: both are pixel value 0.
        colours.insert(p[3] == 0 ? 0x000000FFu : uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
    }
    if (colours.size() > 16)
        throw RomError(path + " has " + std::to_string(colours.size()) +
                       " colours; a tile sheet has at most 16 (the grey levels 17 x n for pixel values 0-15)");

    TileSheet sheet = makeSheet(height / kTileSize);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* p = rgba + 4 * i;
        const int value = pixelValueOf(p[0], p[1], p[2], p[3]);
        if (value < 0)
            throw RomError(path + ": colour " + colourName(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]) +
                           " at (" + std::to_string(i % std::size_t(width)) + ", " +
                           std::to_string(i / std::size_t(width)) +
                           ") is not one of the 16 grey levels 17 x n (0x00, 0x11, ... 0xFF) that stand for pixel values");
        sheet.pixels[i] = uint8_t(value);
    }
    return sheet;
}

void writeSheetPng(const std::string& path, const TileSheet& sheet) {
    std::vector<uint8_t> grey(sheet.pixels.size());
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t((sheet.pixels[i] & 0x0F) * 17);
    if (!stbi_write_png(path.c_str(), sheet.width(), sheet.height(), 1, grey.data(), sheet.width()))
        throw RomError("cannot write " + path);
}

}  // namespace romset
