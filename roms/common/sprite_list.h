/* Building the board's sprite list, entry after entry, once a frame.

   Screen positions are those of a sprite's top-left pixel on the 256 x 224
   screen. The list starts at entry 0 with sl_begin; sl_end clears every entry
   not written this frame, so the whole list is rebuilt each time. */
#ifndef SPRITE_LIST_H
#define SPRITE_LIST_H

#include <stdint.h>

#define FLIP_X 0x80
#define FLIP_Y 0x40

void sl_begin(void);
void sl_end(void);
int sl_used(void);

/* An entry at an absolute screen position (x from -256 to 255, y from -272
   to 239). Returns 0 when the list is full. */
int sl_absolute(int x, int y, unsigned tile, unsigned bank, unsigned flips);
/* An entry at the previous entry's position plus (dx, dy), each -256 to 255. */
int sl_relative(int dx, int dy, unsigned tile, unsigned bank, unsigned flips);

/* Text in the 8 x 8 font, one entry a character (spaces cost none), the
   first absolute and the others relative to it. Lower case prints as upper. */
void sl_text(int x, int y, const char* text, unsigned bank);
/* A number in `digits` decimal digits, zero-padded. */
void sl_number(int x, int y, uint32_t value, int digits, unsigned bank);
/* A value in `digits` hexadecimal digits. */
void sl_hex(int x, int y, uint32_t value, int digits, unsigned bank);

/* Clears longs from `from` up to `to` (both long-aligned). */
void fill_zero_longs(volatile void* from, volatile void* to);

#endif
