/* The demo scene: stars, a planet, bouncing balls, the player's ship with
   its shots, the title and its reflection, and the help text. */
#ifndef SCENE_H
#define SCENE_H

#include <stdint.h>

void scene_init(void);
/* One frame: moves everything by the held inputs (active-low bytes of
   0x500000 and 0x500004) and writes the sprite list. */
void scene_frame(uint8_t buttons, uint8_t keys, uint32_t frame);
/* Whether the ship is boosting (Left Shift), for the flame colours. */
int scene_boost(void);

#endif
