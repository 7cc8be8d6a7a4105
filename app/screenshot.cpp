#include "screenshot.h"

#include <cstring>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8 0
#include <stb/stb_image_write.h>

#include "atomic_file.h"
#include "file_target.h"
#include "machine.h"

void rgb15ToRgb8(uint16_t pixel, uint8_t rgb[3]) {
    const unsigned parts[3] = {(pixel >> 10) & 31u, (pixel >> 5) & 31u, pixel & 31u};
    for (int i = 0; i < 3; ++i) rgb[i] = static_cast<uint8_t>((parts[i] << 3) | (parts[i] >> 2));
}

namespace {
void appendBytes(void* context, void* data, int size) {
    auto* png = static_cast<std::vector<uint8_t>*>(context);
    png->insert(png->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}
}  // namespace

bool encodePicturePng(const DrawnPicture& picture, std::vector<uint8_t>& png, std::string& error) {
    if (picture.serial == 0) {
        error = "no frame was presented";
        return false;
    }
    if (picture.width < kScreenWidth || picture.height < kScreenHeight ||
        picture.pixels.size() < static_cast<size_t>(picture.bytesPerRow) * kScreenHeight) {
        error = "the picture is smaller than 256 x 224";
        return false;
    }
    std::vector<uint8_t> rgb(kScreenWidth * kScreenHeight * 3);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            uint16_t pixel;
            std::memcpy(&pixel, picture.pixels.data() + y * picture.bytesPerRow + x * 2, 2);
            rgb15ToRgb8(pixel, &rgb[(y * kScreenWidth + x) * 3]);
        }
    }
    png.clear();
    if (!stbi_write_png_to_func(appendBytes, &png, kScreenWidth, kScreenHeight, 3, rgb.data(), kScreenWidth * 3)) {
        error = "the picture cannot be encoded";
        return false;
    }
    return true;
}

bool writePicturePng(const DrawnPicture& picture, const std::string& file, std::string& error) {
    std::vector<uint8_t> png;
    if (!encodePicturePng(picture, png, error)) return false;
    // Only a regular file is replaced: a FIFO or a device would take the
    // picture somewhere else, or wait for a reader that never comes.
    if (!fileMayBeWritten(file, error)) return false;
    return writeFileAtomically(file, png.data(), png.size(), error, 0666);
}
