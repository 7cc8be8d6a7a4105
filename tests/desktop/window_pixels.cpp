// Reads what an X window shows, for tests that drive the real program:
//   window_pixels WINDOW png FILE        writes the window's picture as a PNG
//   window_pixels WINDOW at X Y [X Y...] prints each pixel's colour, RRGGBB a line
//   window_pixels WINDOW lit X Y W H     prints how many pixels of the area are not black
//   window_pixels WINDOW hash X Y W H    prints a hash of the area's pixels (a change shows as another)
// WINDOW is the window's id, in decimal or 0x hexadecimal; DISPLAY names the display.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8 0
#include <stb/stb_image_write.h>

namespace {

int gXError = 0;
int record_error(Display*, XErrorEvent* event) {
    gXError = event->error_code;
    return 0;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "window_pixels: %s\n", why.c_str());
    return 1;
}

bool number(const char* text, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 0);
    return *text && !*end;
}

// Position of the highest bit of a colour mask and its width.
void mask_shape(unsigned long mask, int* shift, int* bits) {
    *shift = 0, *bits = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++*shift;
    while (mask & 1) mask >>= 1, ++*bits;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // 3 bytes a pixel, row-major
};

// Reads the area x, y, width, height of the window; a width of 0: all of it.
bool grab(Display* display, Window window, Picture& picture, std::string& error, long x = 0, long y = 0,
          long width = 0, long height = 0) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || gXError) {
        error = "no window " + std::to_string(window);
        return false;
    }
    if (width == 0) width = attributes.width, height = attributes.height;
    if (x + width > attributes.width || y + height > attributes.height) {
        error = "outside the " + std::to_string(attributes.width) + " x " + std::to_string(attributes.height) +
                " window";
        return false;
    }
    XImage* image = XGetImage(display, window, static_cast<int>(x), static_cast<int>(y),
                              static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    XSync(display, False);
    if (!image || gXError) {
        error = "cannot read window " + std::to_string(window) + " (unmapped or off screen?)";
        return false;
    }
    int shifts[3], bits[3];
    mask_shape(image->red_mask, &shifts[0], &bits[0]);
    mask_shape(image->green_mask, &shifts[1], &bits[1]);
    mask_shape(image->blue_mask, &shifts[2], &bits[2]);
    picture.width = image->width, picture.height = image->height;
    picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    unsigned char* out = picture.rgb.data();
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            for (int c = 0; c < 3; ++c) {
                const unsigned long value = (pixel >> shifts[c]) & ((1ul << bits[c]) - 1);
                *out++ = static_cast<unsigned char>(bits[c] ? value * 255 / ((1ul << bits[c]) - 1) : 0);
            }
        }
    }
    XDestroyImage(image);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long window = 0;
    if (argc < 3 || !number(argv[1], &window))
        return fail("usage: window_pixels WINDOW png FILE | at X Y [X Y...] | lit|hash X Y W H");
    const std::string command = argv[2];
    std::vector<long> values;
    for (int i = 3; i < argc && command != "png"; ++i) {
        long value = 0;
        if (!number(argv[i], &value) || value < 0) return fail(std::string("not a coordinate: ") + argv[i]);
        values.push_back(value);
    }
    if (command == "png" ? argc != 4
        : command == "at" ? values.empty() || values.size() % 2
        : command == "lit" || command == "hash" ? values.size() != 4
                           : true)
        return fail("usage: window_pixels WINDOW png FILE | at X Y [X Y...] | lit|hash X Y W H");

    const std::unique_ptr<Display, int (*)(Display*)> open(XOpenDisplay(nullptr), XCloseDisplay);
    Display* display = open.get();
    if (!display) return fail("cannot open the display");
    XSetErrorHandler(record_error);
    const Window id = static_cast<Window>(window);
    std::string error;
    Picture picture;
    if (command == "png") {
        if (!grab(display, id, picture, error)) return fail(error);
        if (!stbi_write_png(argv[3], picture.width, picture.height, 3, picture.rgb.data(), picture.width * 3))
            return fail(std::string("cannot write ") + argv[3]);
        return 0;
    }
    if (command == "at") {
        // One image of the area that holds them all: the pixels are of one
        // moment, and far fewer than the whole window's.
        long left = values[0], top = values[1], right = left, bottom = top;
        for (size_t i = 0; i < values.size(); i += 2) {
            left = std::min(left, values[i]), right = std::max(right, values[i]);
            top = std::min(top, values[i + 1]), bottom = std::max(bottom, values[i + 1]);
        }
        if (!grab(display, id, picture, error, left, top, right - left + 1, bottom - top + 1)) return fail(error);
        for (size_t i = 0; i < values.size(); i += 2) {
            const size_t at = (static_cast<size_t>(values[i + 1] - top) * picture.width + (values[i] - left)) * 3;
            std::printf("%02X%02X%02X\n", picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]);
        }
        return 0;
    }
    if (!grab(display, id, picture, error, values[0], values[1], values[2], values[3])) return fail(error);
    if (command == "hash") {
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (unsigned char byte : picture.rgb) hash = (hash ^ byte) * 1099511628211ull;
        std::printf("%016llX\n", static_cast<unsigned long long>(hash));
        return 0;
    }
    long lit = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) lit += picture.rgb[i] || picture.rgb[i + 1] || picture.rgb[i + 2];
    std::printf("%ld\n", lit);
    return 0;
}
