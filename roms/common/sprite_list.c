#include "sprite_list.h"

#include "board_io.h"
#include "tile_map.h"

static volatile uint16_t* cursor;

void sl_begin(void) { cursor = SPRITE_RAM; }

int sl_used(void) { return (int)((cursor - SPRITE_RAM) / 8); }

void sl_end(void) { fill_zero_longs(cursor, SPRITE_RAM + 8 * SPRITE_COUNT); }

/* Word +6: bank in bits 4-7, relative in bit 2, the offsets' sign bits in 0-1. */
static int put(int dx, int dy, unsigned tile, unsigned bank, unsigned flips, unsigned relative) {
    volatile uint16_t* entry = cursor;
    if (entry >= SPRITE_RAM + 8 * SPRITE_COUNT) return 0;
    entry[0] = 0;
    entry[1] = 0;
    entry[2] = 0;
    entry[3] = (uint16_t)((bank & 15) << 4 | relative | (dy < 0 ? 2 : 0) | (dx < 0 ? 1 : 0));
    entry[4] = (uint16_t)(dx & 0xFF);
    entry[5] = (uint16_t)(dy & 0xFF);
    entry[6] = (uint16_t)(tile & 0xFF);
    entry[7] = (uint16_t)((tile >> 8 & 0x0F) | (flips & (FLIP_X | FLIP_Y)));
    cursor = entry + 8;
    return 1;
}

/* The board places an entry's Y 16 lines lower than the screen line. */
int sl_absolute(int x, int y, unsigned tile, unsigned bank, unsigned flips) {
    return put(x, y + 16, tile, bank, flips, 0);
}

int sl_relative(int dx, int dy, unsigned tile, unsigned bank, unsigned flips) {
    return put(dx, dy, tile, bank, flips, 4);
}

void sl_text(int x, int y, const char* text, unsigned bank) {
    int first = 1;
    int skip = 0;
    for (; *text; ++text, skip += 8) {
        unsigned c = (uint8_t)*text;
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        if (c <= ' ' || c > FONT_LAST_CHAR) continue;
        const unsigned tile = TILE_FONT + (c - FONT_FIRST_CHAR);
        if (first)
            sl_absolute(x + skip, y, tile, bank, 0);
        else
            sl_relative(skip, 0, tile, bank, 0);
        first = 0;
        skip = 0;
    }
}

void sl_number(int x, int y, uint32_t value, int digits, unsigned bank) {
    char text[12];
    if (digits > 10) digits = 10;
    text[digits] = 0;
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = (char)('0' + value % 10);
        value /= 10;
    }
    sl_text(x, y, text, bank);
}

void sl_hex(int x, int y, uint32_t value, int digits, unsigned bank) {
    char text[9];
    if (digits > 8) digits = 8;
    text[digits] = 0;
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 15];
    sl_text(x, y, text, bank);
}
