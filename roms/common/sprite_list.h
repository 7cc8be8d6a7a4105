/* Building the board's sprite list, entry after entry, once a frame.

   Screen positions are those of a sprite's top-left pixel on the 256 x 224
   screen. The list starts at entry 0 with sl_begin; sl_end clears every entry
   not written this frame (those that held something before), so the whole
   list is defined anew each time.

   Entries that do not change from frame to frame (fixed text) can be
   recorded once into a buffer in work RAM with sl_record and copied into the
   list each frame with sl_copy, which is many times faster. */
#ifndef SPRITE_LIST_H
#define SPRITE_LIST_H

#include <stdint.h>

#define FLIP_X 0x80
#define FLIP_Y 0x40

/* Where the next entry goes, and the end of the list or recording buffer.
   Sprite RAM is plain memory that the board reads between CPU slices, so it
   is written through ordinary pointers: the compiler may keep the cursor in
   a register across a loop of entries. */
extern uint16_t* sl_cursor;
extern uint16_t* sl_limit;

/* One entry: offsets (dx, dy) from -256 to 255, an absolute position or one
   relative to the previous entry (relative = 4); words +0 to +4 are left 0. */
static inline void sl_entry(int dx, int dy, unsigned tile, unsigned bank, unsigned flips, unsigned relative) {
    uint16_t* entry = sl_cursor;
    if (entry >= sl_limit) return;
    /* Word +6: bank in bits 4-7, relative in bit 2, the offsets' sign bits in
       0-1. Tested one by one: a 68000 shifts one bit every two cycles. */
    uint16_t attributes = (uint16_t)((bank & 15) << 4 | relative);
    if (dx < 0) attributes |= 1;
    if (dy < 0) attributes |= 2;
    entry[0] = 0;
    entry[1] = 0;
    entry[2] = 0;
    entry[3] = attributes;
    entry[4] = (uint16_t)(dx & 0xFF);
    entry[5] = (uint16_t)(dy & 0xFF);
    entry[6] = (uint16_t)(tile & 0xFF);
    entry[7] = (uint16_t)((tile >> 8 & 0x0F) | (flips & (FLIP_X | FLIP_Y)));
    sl_cursor = entry + 8;
}

/* An entry at an absolute screen position (x from -256 to 255, y from -272
   to 239): the board places an entry's Y 16 lines lower than the screen line. */
static inline void sl_absolute(int x, int y, unsigned tile, unsigned bank, unsigned flips) {
    sl_entry(x, y + 16, tile, bank, flips, 0);
}
/* An entry at the previous entry's position plus (dx, dy), each -256 to 255. */
static inline void sl_relative(int dx, int dy, unsigned tile, unsigned bank, unsigned flips) {
    sl_entry(dx, dy, tile, bank, flips, 4);
}

void sl_begin(void);
void sl_end(void);
int sl_used(void);

/* Records entries into `buffer` (room for `capacity` entries) until
   sl_record_end, which returns how many were recorded. */
void sl_record(uint16_t* buffer, int capacity);
int sl_record_end(void);
/* Appends `count` recorded entries to the list. */
void sl_copy(const uint16_t* entries, int count);

/* Text in the 8 x 8 font, one entry a character (spaces cost none), the
   first absolute and the others relative to it. Lower case prints as upper. */
void sl_text(int x, int y, const char* text, unsigned bank);
/* Decimal digits kept as text, counted up by one (wrapping to zeros). */
void decimal_increment(char* digits, int count);
/* A value in `digits` decimal digits, zero-padded (divides: not for every frame). */
void sl_number(int x, int y, uint32_t value, int digits, unsigned bank);
/* A value in `digits` hexadecimal digits. */
void sl_hex(int x, int y, uint32_t value, int digits, unsigned bank);

/* Clears longs from `from` up to `to` (both long-aligned). */
void fill_zero_longs(void* from, void* to);
/* Copies `count` longs. */
void copy_longs(void* destination, const void* source, int count);

#endif
