// zlib's crc32 (zlib.h beside this file), computed from a table made at the
// first call.
#include "zlib.h"

static unsigned long table[256];

static void make_table(void) {
    for (unsigned long n = 0; n < 256; ++n) {
        unsigned long c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320ul ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
}

uLong crc32(uLong crc, const Bytef* buf, uInt len) {
    if (!buf) return 0;
    if (!table[1]) make_table();
    crc = ~crc & 0xFFFFFFFFul;
    while (len--) crc = table[(crc ^ *buf++) & 0xFF] ^ (crc >> 8);
    return ~crc & 0xFFFFFFFFul;
}
