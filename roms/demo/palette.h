/* The demo's colours: sixteen banks of sixteen, a theme picked with the keys
   1-5, and the colours that move every frame. */
#ifndef PALETTE_H
#define PALETTE_H

#include <stdint.h>

enum {
    BANK_TEXT = 0,    /* entry 0 of this bank is the background */
    BANK_GOLD = 1,
    BANK_TITLE = 2,   /* rainbow, cycling */
    BANK_MIRROR = 3,  /* the title's dimmed reflection, cycling */
    BANK_STARS = 4,
    BANK_PLANET = 5,
    BANK_SHIP = 6,    /* three ship paints: banks 6, 7 and 8 */
    BANK_SHOT = 9,
    BANK_BALL = 10,   /* five ball colours: banks 10-14 */
    BANK_LAMP = 15,
};

#define SHIP_PAINTS 3
#define BALL_COLOURS 5
#define THEMES 5

void palette_init(void);
void palette_set_theme(unsigned theme);
/* One step of the colour animation; `time` counts frames. */
void palette_animate(uint32_t time, int boost);

#endif
