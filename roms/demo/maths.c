#include "maths.h"

/* The first quarter of the wave; the other three are its mirror images. */
static const int8_t quarter[65] = {
    0,   3,   6,   9,   12,  16,  19,  22,  25,  28,  31,  34,  37,  40,  43,  46,  49,
    51,  54,  57,  60,  63,  65,  68,  71,  73,  76,  78,  81,  83,  85,  88,  90,  92,
    94,  96,  98,  100, 102, 104, 106, 107, 109, 111, 112, 113, 115, 116, 117, 118, 120,
    121, 122, 122, 123, 124, 125, 125, 126, 126, 126, 127, 127, 127, 127};

int16_t sine(unsigned angle) {
    angle &= 255;
    if (angle < 64) return quarter[angle];
    if (angle < 128) return quarter[128 - angle];
    if (angle < 192) return (int16_t)-quarter[angle - 128];
    return (int16_t)-quarter[256 - angle];
}

static uint16_t state = 0xACE1;

uint16_t random16(void) {
    state ^= (uint16_t)(state << 7);
    state ^= (uint16_t)(state >> 9);
    state ^= (uint16_t)(state << 8);
    return state;
}
