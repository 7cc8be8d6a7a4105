#include "sprite_list.h"

#include "board_io.h"
#include "tile_map.h"

#define ENTRY_WORDS 8
#define LIST_START ((uint16_t*)SPRITE_RAM)
#define LIST_END (LIST_START + ENTRY_WORDS * SPRITE_COUNT)

uint16_t* sl_cursor;
uint16_t* sl_limit;
static uint16_t* record_start;
/* Entries from here on are known to be clear; after a reset sprite RAM may
   hold anything, so the first frame clears it all. */
static uint16_t* clear_from = LIST_END;

void sl_begin(void) {
    sl_cursor = LIST_START;
    sl_limit = LIST_END;
}

int sl_used(void) { return (int)((sl_cursor - LIST_START) / ENTRY_WORDS); }

/* Clears the entries that held something last frame and were not written
   this frame; the ones after them are still clear. Clearing all 480 would
   cost a 68000 some 15,000 cycles a frame. */
void sl_end(void) {
    if (clear_from > sl_cursor) fill_zero_longs(sl_cursor, clear_from);
    clear_from = sl_cursor;
}

void sl_record(uint16_t* buffer, int capacity) {
    record_start = sl_cursor = buffer;
    sl_limit = buffer + ENTRY_WORDS * capacity;
}

int sl_record_end(void) { return (int)((sl_cursor - record_start) / ENTRY_WORDS); }

void sl_copy(const uint16_t* entries, int count) {
    const int room = (int)((sl_limit - sl_cursor) / ENTRY_WORDS);
    if (count <= 0) return;
    if (count > room) count = room;
    copy_longs(sl_cursor, entries, count * (ENTRY_WORDS / 2));
    sl_cursor += ENTRY_WORDS * count;
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

void decimal_increment(char* digits, int count) {
    for (int i = count - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
}

void sl_number(int x, int y, uint32_t value, int digits, unsigned bank) {
    char text[11];
    if (digits > 10) digits = 10;
    text[digits] = 0;
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[i] = (char)('0' + value % 10);
    sl_text(x, y, text, bank);
}

void sl_hex(int x, int y, uint32_t value, int digits, unsigned bank) {
    char text[9];
    if (digits > 8) digits = 8;
    text[digits] = 0;
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 15];
    sl_text(x, y, text, bank);
}
