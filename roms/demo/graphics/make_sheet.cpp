// Draws the project's tile sheet (font, big font, sphere, stars, shot, lamps,
// sparks, planet, ship) and writes it as a PNG for romtool.
//
// usage: make_sheet OUTPUT.png
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "font5x7.h"
#include "romset/rom_error.h"
#include "romset/sheet_png.h"
#include "romset/tile_codec.h"
#include "tile_map.h"

namespace {

using romset::TileSheet;

// Pixel of a block of tiles laid out `across` tiles wide from `first`.
void plot(TileSheet& sheet, int first, int across, int x, int y, int value) {
    const int tile = first + (y / 16) * across + x / 16;
    const int left = (tile % 16) * 16, top = (tile / 16) * 16;
    if (value > 0) sheet.at(left + x % 16, top + y % 16) = uint8_t(std::clamp(value, 0, 15));
}

// Fills a block of width x height pixels from a function of the pixel centre.
void paint(TileSheet& sheet, int first, int across, int width, int height,
           const std::function<int(double, double)>& valueAt) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) plot(sheet, first, across, x, y, valueAt(x + 0.5, y + 0.5));
}

bool glyphPixel(int code, int column, int row) {
    if (column < 0 || column > 4 || row < 0 || row > 6) return false;
    return graphics::kFont5x7[code - FONT_FIRST_CHAR][row][column] == '#';
}

// Small font: the glyph at the top-left, rows shaded 1-7, shadow 8 down-right.
void drawFont(TileSheet& sheet) {
    for (int code = FONT_FIRST_CHAR; code <= FONT_LAST_CHAR; ++code)
        paint(sheet, TILE_FONT + code - FONT_FIRST_CHAR, 1, 8, 8, [&](double fx, double fy) {
            const int x = int(fx), y = int(fy);
            if (glyphPixel(code, x, y)) return 1 + y;
            return glyphPixel(code, x - 1, y - 1) ? 8 : 0;
        });
}

// Big font: the glyph doubled, rows shaded 1-14, shadow 15 down-right.
void drawBigFont(TileSheet& sheet) {
    for (int code = FONT_FIRST_CHAR; code <= FONT_LAST_CHAR; ++code)
        paint(sheet, TILE_BIG_FONT + code - FONT_FIRST_CHAR, 1, 16, 16, [&](double fx, double fy) {
            const int x = int(fx) - 3, y = int(fy);
            if (glyphPixel(code, x >> 1, y >> 1) && x >= 0) return 1 + y;
            const int sx = x - 1, sy = y - 1;
            return sx >= 0 && sy >= 0 && glyphPixel(code, sx >> 1, sy >> 1) ? 15 : 0;
        });
}

// A lit sphere of radius r centred at (cx, cy): values 1 (dark) to 15 (highlight).
int sphere(double x, double y, double cx, double cy, double r) {
    const double nx = (x - cx) / r, ny = (y - cy) / r;
    const double d2 = nx * nx + ny * ny;
    if (d2 > 1.0) return 0;
    const double nz = std::sqrt(1.0 - d2);
    const double lx = -0.45, ly = -0.55, lz = 0.70;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    const double specular = std::pow(std::max(0.0, 2 * diffuse * nz - lz), 12.0);
    return 1 + int(std::lround(std::min(1.0, 0.12 + 0.72 * diffuse + 0.5 * specular) * 14));
}

void drawShapes(TileSheet& sheet) {
    paint(sheet, TILE_BALL, 1, 16, 16, [](double x, double y) { return sphere(x, y, 8, 8, 7.6); });

    // Stars: a dot, a small cross, a sparkle with long fading rays.
    for (int size = 0; size < 3; ++size)
        paint(sheet, TILE_STAR + size, 1, 16, 16, [size](double x, double y) {
            const double dx = std::fabs(x - 8), dy = std::fabs(y - 8);
            const double reach = 1.5 + 2.5 * size;
            if (dx < 1 && dy < 1) return 15;
            if (dx < 1 && dy < reach) return int(15 - 9 * dy / reach);
            if (dy < 1 && dx < reach) return int(15 - 9 * dx / reach);
            if (size == 2 && std::fabs(dx - dy) < 0.8 && dx < 3) return 7;
            return 0;
        });

    paint(sheet, TILE_SHOT, 1, 16, 16, [](double x, double y) {
        const double dy = std::fabs(y - 8);
        if (x < 2 || x > 15 || dy > 2) return 0;
        return int(15 - 3 * dy - (15 - x) * 0.4);
    });

    for (int lit = 0; lit < 2; ++lit)
        paint(sheet, lit ? TILE_LAMP_ON : TILE_LAMP_OFF, 1, 8, 8, [lit](double x, double y) {
            const int v = sphere(x, y, 3.5, 3.5, 3.6);
            return v ? 1 + (v - 1) / 2 + 7 * lit : 0;
        });

    // Sparks: a ring of dots that grows and fades over four frames.
    for (int frame = 0; frame < 4; ++frame)
        paint(sheet, TILE_SPARK + frame, 1, 16, 16, [frame](double x, double y) {
            const double dx = x - 8, dy = y - 8, radius = 1.5 + 2 * frame;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double angle = std::atan2(dy, dx) * 8 / 3.14159265;
            const bool ray = std::fabs(angle - std::round(angle)) < 0.25;
            if (std::fabs(d - radius) < 1.0 && ray) return 15 - 3 * frame;
            return d < 1.5 && frame == 0 ? 15 : 0;
        });

    paint(sheet, TILE_DIAMOND, 1, 16, 16, [](double x, double y) {
        const double d = std::fabs(x - 8) + std::fabs(y - 8);
        return d < 7.5 ? int(15 - d * 1.6) : 0;
    });
}

// A banded planet, 64 x 64.
void drawPlanet(TileSheet& sheet) {
    paint(sheet, TILE_PLANET, 4, 64, 64, [](double x, double y) {
        const int lit = sphere(x, y, 32, 32, 30.5);
        if (!lit) return 0;
        const double latitude = (y - 32) / 30.5 + 0.15 * std::sin(x / 7.0);
        const int band = int(std::floor(latitude * 5 + 10)) % 2;
        return std::clamp(lit - 2 * band, 1, 15);
    });
}

// The ship, 32 x 32, nose to the right: hull 1-8 (shaded top to bottom),
// cockpit 9-11, engine flame 12-15.
void drawShip(TileSheet& sheet) {
    paint(sheet, TILE_SHIP, 2, 32, 32, [](double x, double y) {
        const double dy = y - 16, wing = std::fabs(dy);
        // Cockpit: a small ellipse on top of the hull.
        const double cx = (x - 20) / 4.0, cy = (y - 14) / 2.5;
        if (cx * cx + cy * cy < 1) return cy < -0.3 && cx < 0 ? 11 : (cy < 0.2 ? 10 : 9);
        // Hull: from a blunt tail at x = 6 to a sharp nose at x = 30.
        const double along = (x - 6) / 24.0;
        const bool hull = along >= 0 && along <= 1 && wing < 5.0 * (1 - along * along) + 0.5;
        // Wings: swept back, tips at the tail.
        const bool wings = wing < 13 && x > 5 + wing * 0.15 && x < 21 - wing * 0.95;
        if (hull || wings) {
            const int shade = int(8.5 - (dy + 13) * 7 / 26);
            const bool edge = !hull && (x < 6.2 + wing * 0.15 || x > 19.8 - wing * 0.95);
            return std::clamp(edge ? shade - 3 : shade, 1, 8);
        }
        // Flame behind the tail: hottest at its root.
        const double behind = 6 - x;
        if (behind > 0 && wing < 3.2 - behind * 0.5) return 15 - int(behind * 0.7 + wing);
        return 0;
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sheet OUTPUT.png\n", stderr);
        return 2;
    }
    try {
        TileSheet sheet = romset::makeSheet(SHEET_ROWS);
        drawFont(sheet);
        drawBigFont(sheet);
        drawShapes(sheet);
        drawPlanet(sheet);
        drawShip(sheet);
        romset::writeSheetPng(argv[1], sheet);
    } catch (const romset::RomError& error) {
        std::fprintf(stderr, "make_sheet: %s\n", error.what());
        return 1;
    }
    return 0;
}
