/* Small integer maths for the demo: a sine table and a random generator. */
#ifndef MATHS_H
#define MATHS_H

#include <stdint.h>

/* sin(angle x 2 pi / 256) x 127. */
int16_t sine(unsigned angle);
static inline int16_t cosine(unsigned angle) { return sine(angle + 64); }

/* Scales v by s / 128 with one 16 x 16 multiply (MULS). */
static inline int16_t scale(int16_t v, int16_t s) { return (int16_t)(((int32_t)v * s) >> 7); }

/* Next value of a 16-bit xorshift generator, never 0. */
uint16_t random16(void);

#endif
