/* The memory routines gcc may call on its own (structure copies and
   clears). Built without loop-to-call rewriting so they never call
   themselves. */
#include "mem.h"

#include <stdint.h>

void* memset(void* destination, int value, size_t count) {
    uint8_t* d = destination;
    while (count--) *d++ = (uint8_t)value;
    return destination;
}

void* memcpy(void* restrict destination, const void* restrict source, size_t count) {
    uint8_t* d = destination;
    const uint8_t* s = source;
    while (count--) *d++ = *s++;
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    uint8_t* d = destination;
    const uint8_t* s = source;
    if (d < s) {
        while (count--) *d++ = *s++;
    } else {
        d += count;
        s += count;
        while (count--) *--d = *--s;
    }
    return destination;
}

int memcmp(const void* a, const void* b, size_t count) {
    const uint8_t* x = a;
    const uint8_t* y = b;
    for (; count; --count, ++x, ++y)
        if (*x != *y) return *x - *y;
    return 0;
}
