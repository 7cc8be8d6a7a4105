#include "palette.h"

#include "board_io.h"
#include "maths.h"

/* 48 hues around the colour wheel, fully saturated. */
static uint16_t rainbow[48];

static uint16_t mix(uint16_t a, uint16_t b, int num, int den) {
    int ra = a & 31, ga = a >> 5 & 31, ba = a >> 10 & 31;
    int rb = b & 31, gb = b >> 5 & 31, bb = b >> 10 & 31;
    return RGB(ra + (rb - ra) * num / den, ga + (gb - ga) * num / den, ba + (bb - ba) * num / den);
}

static uint16_t dim(uint16_t c) { return (uint16_t)(c >> 1 & 0x3DEF); } /* halves each field */
static uint16_t pastel(uint16_t c) { return (uint16_t)(dim(c) + RGB(15, 15, 15)); } /* halfway to white */

/* Entries first..last of a bank run from colour a to colour b. */
static void ramp(unsigned bank, int first, int last, uint16_t a, uint16_t b) {
    for (int i = first; i <= last; ++i) PALETTE[bank * 16 + i] = mix(a, b, i - first, last - first);
}

static void make_rainbow(void) {
    for (int h = 0; h < 48; ++h) {
        const int sextant = h / 8, f = (h % 8) * 31 / 8;
        int r, g, b;
        switch (sextant) {
            case 0: r = 31, g = f, b = 0; break;
            case 1: r = 31 - f, g = 31, b = 0; break;
            case 2: r = 0, g = 31, b = f; break;
            case 3: r = 0, g = 31 - f, b = 31; break;
            case 4: r = f, g = 0, b = 31; break;
            default: r = 31, g = 0, b = 31 - f; break;
        }
        rainbow[h] = RGB(r, g, b);
    }
}

/* Theme: background colour and the five ball hues (indices into the rainbow). */
static const struct {
    uint16_t background;
    uint8_t hues[BALL_COLOURS];
} themes[THEMES] = {
    {RGB(1, 2, 7), {0, 8, 16, 26, 36}},
    {RGB(6, 1, 5), {40, 44, 2, 6, 10}},
    {RGB(0, 6, 6), {14, 18, 22, 26, 30}},
    {RGB(7, 4, 0), {4, 6, 8, 10, 12}},
    {RGB(3, 3, 3), {0, 10, 20, 30, 40}},
};
static unsigned current_theme;

void palette_init(void) {
    const uint16_t white = RGB(31, 31, 31);
    make_rainbow();
    /* Text: rows 1-7 from white to light blue-grey, shadow 8. */
    ramp(BANK_TEXT, 1, 7, white, RGB(18, 20, 26));
    PALETTE[BANK_TEXT * 16 + 8] = RGB(2, 2, 6);
    ramp(BANK_GOLD, 1, 7, RGB(31, 31, 16), RGB(28, 14, 2));
    PALETTE[BANK_GOLD * 16 + 8] = RGB(4, 2, 0);
    PALETTE[BANK_TITLE * 16 + 15] = RGB(2, 1, 6);
    PALETTE[BANK_MIRROR * 16 + 15] = RGB(1, 1, 4);
    ramp(BANK_STARS, 1, 15, RGB(2, 3, 10), RGB(31, 31, 31));
    ramp(BANK_PLANET, 1, 8, RGB(2, 4, 8), RGB(8, 20, 22));
    ramp(BANK_PLANET, 9, 15, RGB(10, 22, 24), RGB(28, 31, 30));
    /* Ship paints: hull 1-8 dark to light, cockpit 9-11; flame 12-15 moves. */
    static const uint16_t hulls[SHIP_PAINTS][2] = {
        {RGB(4, 6, 12), RGB(24, 27, 31)}, {RGB(10, 2, 2), RGB(31, 20, 16)}, {RGB(2, 9, 3), RGB(20, 31, 16)}};
    for (unsigned p = 0; p < SHIP_PAINTS; ++p) {
        ramp(BANK_SHIP + p, 1, 8, hulls[p][0], hulls[p][1]);
        ramp(BANK_SHIP + p, 9, 11, RGB(0, 8, 20), RGB(20, 28, 31));
    }
    ramp(BANK_SHOT, 1, 15, RGB(16, 4, 0), RGB(31, 31, 24));
    /* Lamps: 1-7 unlit (dark red), 8-14 lit (green). */
    ramp(BANK_LAMP, 1, 7, RGB(3, 0, 0), RGB(12, 3, 3));
    ramp(BANK_LAMP, 8, 14, RGB(0, 8, 0), RGB(20, 31, 20));
    palette_set_theme(0);
}

void palette_set_theme(unsigned theme) {
    current_theme = theme % THEMES;
    for (unsigned k = 0; k < BALL_COLOURS; ++k) {
        const uint16_t hue = rainbow[themes[current_theme].hues[k]];
        ramp(BANK_BALL + k, 1, 10, RGB(1, 1, 2), hue);
        ramp(BANK_BALL + k, 10, 15, hue, RGB(31, 31, 31));
    }
}

void palette_animate(uint32_t time, int boost) {
    const unsigned t = (unsigned)time;
    /* The title's stripes run down through the letters. */
    static unsigned stripe; /* the title's first hue: steps back one a frame */
    stripe = stripe ? stripe - 1 : 47;
    unsigned hue = stripe;
    for (unsigned i = 1; i <= 14; ++i) {
        hue += 2;
        if (hue >= 48) hue -= 48;
        const uint16_t c = pastel(rainbow[hue]);
        PALETTE[BANK_TITLE * 16 + i] = c;
        PALETTE[BANK_MIRROR * 16 + i] = dim(dim(c));
    }
    /* The engine flame flickers, white-hot when boosting. */
    static const uint16_t flame[6] = {RGB(31, 6, 0), RGB(31, 14, 0), RGB(31, 22, 2),
                                      RGB(31, 30, 12), RGB(31, 31, 24), RGB(31, 31, 31)};
    for (unsigned p = 0; p < SHIP_PAINTS; ++p)
        for (unsigned i = 0; i < 4; ++i) {
            unsigned level = (i + (t >> 1)) % 4 + (boost ? 2 : 0);
            PALETTE[(BANK_SHIP + p) * 16 + 12 + i] = flame[level];
        }
    /* The background breathes a little. */
    const uint16_t base = themes[current_theme].background;
    const int lift = (sine(t * 2) + 127) >> 6; /* 0-3 */
    PALETTE[0] = (uint16_t)(base + RGB(0, lift >> 1, lift));
}
