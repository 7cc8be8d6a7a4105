/* The memory routines of mem.c, which the ROMs link instead of a C library.
   Their declarations are the standard ones, so code built for the host as
   well gets the host's own routines through this header. */
#ifndef ROMS_COMMON_MEM_H
#define ROMS_COMMON_MEM_H

#include <stddef.h>

void* memset(void* destination, int value, size_t count);
void* memcpy(void* restrict destination, const void* restrict source, size_t count);
void* memmove(void* destination, const void* source, size_t count);
int memcmp(const void* a, const void* b, size_t count);

#endif
