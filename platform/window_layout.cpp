#include "window_layout.h"

#include <algorithm>

namespace kit {

int ui_scale(int width, int height, int frameWidth, int frameHeight, int preferred) {
    if (frameWidth <= 0 || frameHeight <= 0) return std::max(1, preferred);
    const int fits = std::min(width / frameWidth, height / frameHeight);
    return std::max(1, std::min(preferred, fits));
}

int density_scale(float dpi) {
    if (!(dpi > 0)) return 1;
    return std::max(1, static_cast<int>((std::min(dpi, 96.0f * 16) + 48) / 96));
}

Box beside(const Box& main, const Box& screen, int width, int height) {
    constexpr int kGap = 8;  // room for the window manager's borders
    Box box;
    box.width = std::clamp(width, 1, std::max(1, screen.width));
    box.height = std::clamp(height, 1, std::max(1, screen.height));
    const int roomRight = screen.Right() - (main.Right() + kGap), roomLeft = main.left - kGap - screen.left;
    if (roomRight >= box.width) box.left = main.Right() + kGap;
    else if (roomLeft >= box.width) box.left = main.left - kGap - box.width;
    else if (roomRight >= roomLeft) box.left = screen.Right() - box.width;
    else box.left = screen.left;
    box.top = std::clamp(main.top, screen.top, screen.Bottom() - box.height);
    return box;
}

Box on_screen(const Box& box, const Box& screen) {
    Box placed;
    placed.width = std::clamp(box.width, 1, std::max(1, screen.width));
    placed.height = std::clamp(box.height, 1, std::max(1, screen.height));
    placed.left = std::clamp(box.left, screen.left, screen.Right() - placed.width);
    placed.top = std::clamp(box.top, screen.top, screen.Bottom() - placed.height);
    return placed;
}

Box follow_all_sides(const BRect& view, int frameWidth, int frameHeight, int width, int height, int scale) {
    const int left = static_cast<int>(view.left) * scale;
    const int top = static_cast<int>(view.top) * scale;
    const int rightGap = (frameWidth - (static_cast<int>(view.right) + 1)) * scale;
    const int bottomGap = (frameHeight - (static_cast<int>(view.bottom) + 1)) * scale;
    return {left, top, std::max(0, width - rightGap - left), std::max(0, height - bottomGap - top)};
}

Box fit_picture(const Box& area, int pictureWidth, int pictureHeight, picture_scaling scaling) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || area.width <= 0 || area.height <= 0) return {area.left, area.top, 0, 0};
    int width = 0, height = 0;
    const int multiple = std::min(area.width / pictureWidth, area.height / pictureHeight);
    if (scaling == B_PICTURE_INTEGER && multiple >= 1) {
        width = pictureWidth * multiple;
        height = pictureHeight * multiple;
    } else if (static_cast<long long>(area.width) * pictureHeight <= static_cast<long long>(area.height) * pictureWidth) {
        // As wide as the area; the height follows the aspect.
        width = area.width;
        height = static_cast<int>(static_cast<long long>(area.width) * pictureHeight / pictureWidth);
    } else {
        height = area.height;
        width = static_cast<int>(static_cast<long long>(area.height) * pictureWidth / pictureHeight);
    }
    return {area.left + (area.width - width) / 2, area.top + (area.height - height) / 2, width, height};
}

std::vector<bool> hidden_layers(const std::vector<Layer>& layers) {
    std::vector<bool> hidden(layers.size(), false);
    const auto inside = [](const Box& inner, const Box& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
               inner.Bottom() <= outer.Bottom();
    };
    for (size_t back = 0; back < layers.size(); ++back)
        for (size_t front = back + 1; front < layers.size() && !hidden[back]; ++front)
            hidden[back] = layers[front].opaque && inside(layers[back].area, layers[front].area);
    return hidden;
}

}  // namespace kit
