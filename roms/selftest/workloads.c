#include "workloads.h"

#include <stddef.h>
#include "mem.h"

const char* const workload_names[WORKLOAD_RESULTS] = {
    "CRC32 CHECK", "CRC32 4K",    "INSERTION",   "QUICKSORT",  "HEAPSORT",    "MUL DIV U32",
    "MUL DIV S32", "MUL DIV 16",  "BITS",        "STRINGS",    "MEMORY",      "SIEVE",
};

/* ---- helpers ---- */

static uint32_t xorshift32(uint32_t* state) {
    uint32_t x = *state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *state = x;
}

uint32_t crc32_update(uint32_t crc, const uint8_t* bytes, uint32_t count) {
    crc = ~crc;
    while (count--) {
        crc ^= *bytes++;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

/* CRC of 32-bit values taken most significant byte first, so the result
   does not depend on the machine's byte order. */
static uint32_t crc32_values(uint32_t crc, const uint32_t* values, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t b[4] = {(uint8_t)(values[i] >> 24), (uint8_t)(values[i] >> 16), (uint8_t)(values[i] >> 8),
                              (uint8_t)values[i]};
        crc = crc32_update(crc, b, 4);
    }
    return crc;
}

static uint32_t mix(uint32_t hash, uint32_t value) { return (hash ^ value) * 0x01000193u + (hash >> 27); }

/* ---- checksums ---- */

static uint32_t crc_check_value(void) {
    static const char text[] = "123456789";
    return crc32_update(0, (const uint8_t*)text, 9);
}

static uint8_t buffer[4096];

static uint32_t crc_4k(void) {
    uint32_t state = 0x12345678u;
    for (size_t i = 0; i < sizeof buffer; ++i) buffer[i] = (uint8_t)(xorshift32(&state) >> 24);
    return crc32_update(0, buffer, sizeof buffer);
}

/* ---- sorting ---- */

#define SORT_COUNT 192
static int32_t values[SORT_COUNT];

static void fill_values(uint32_t seed) {
    for (int i = 0; i < SORT_COUNT; ++i) values[i] = (int32_t)xorshift32(&seed);
}

static uint32_t sorted_digest(void) {
    uint32_t order = 1;
    for (int i = 1; i < SORT_COUNT; ++i)
        if (values[i - 1] > values[i]) order = 0;
    return crc32_values(order, (const uint32_t*)values, SORT_COUNT);
}

static uint32_t insertion_sort(void) {
    fill_values(0xDEADBEEFu);
    for (int i = 1; i < SORT_COUNT; ++i) {
        const int32_t v = values[i];
        int j = i - 1;
        for (; j >= 0 && values[j] > v; --j) values[j + 1] = values[j];
        values[j + 1] = v;
    }
    return sorted_digest();
}

static void quicksort(int32_t* a, int low, int high) {
    while (low < high) {
        const int32_t pivot = a[low + (high - low) / 2];
        int i = low, j = high;
        while (i <= j) {
            while (a[i] < pivot) ++i;
            while (a[j] > pivot) --j;
            if (i <= j) {
                const int32_t t = a[i];
                a[i++] = a[j];
                a[j--] = t;
            }
        }
        if (j - low < high - i) {
            quicksort(a, low, j);
            low = i;
        } else {
            quicksort(a, i, high);
            high = j;
        }
    }
}

static uint32_t quick_sort(void) {
    fill_values(0x0BADF00Du);
    quicksort(values, 0, SORT_COUNT - 1);
    return sorted_digest();
}

static void sift_down(int32_t* a, int root, int end) {
    while (2 * root + 1 <= end) {
        int child = 2 * root + 1;
        if (child < end && a[child] < a[child + 1]) ++child;
        if (a[root] >= a[child]) return;
        const int32_t t = a[root];
        a[root] = a[child];
        a[child] = t;
        root = child;
    }
}

static uint32_t heap_sort(void) {
    fill_values(0xCAFEBABEu);
    for (int start = (SORT_COUNT - 2) / 2; start >= 0; --start) sift_down(values, start, SORT_COUNT - 1);
    for (int end = SORT_COUNT - 1; end > 0; --end) {
        const int32_t t = values[0];
        values[0] = values[end];
        values[end] = t;
        sift_down(values, 0, end - 1);
    }
    return sorted_digest();
}

/* ---- integer arithmetic through the compiler's helpers ---- */

/* Divisors of every size: below 2^16 (two DIVU steps) and above (the
   shift-and-subtract path), dividends of every size. */
static uint32_t divisor_of(uint32_t r) {
    switch (r & 3) {
        case 0: return (r >> 28) + 1;
        case 1: return (r >> 16) | 1;
        case 2: return (r >> 4) | 0x10000;
        default: return r | 0x80000000u;
    }
}

static uint32_t muldiv_unsigned(void) {
    uint32_t state = 0x31415926u, hash = 0;
    for (int i = 0; i < 200; ++i) {
        const uint32_t a = xorshift32(&state) >> (i & 15);
        const uint32_t b = divisor_of(xorshift32(&state));
        hash = mix(hash, a * b);
        hash = mix(hash, a / b);
        hash = mix(hash, a % b);
    }
    return hash;
}

static uint32_t muldiv_signed(void) {
    uint32_t state = 0x27182818u, hash = 0;
    for (int i = 0; i < 200; ++i) {
        const int32_t a = (int32_t)(xorshift32(&state) >> 1 >> (i & 7)) * ((i & 1) ? -1 : 1);
        int32_t b = (int32_t)(divisor_of(xorshift32(&state)) & 0x7FFFFFFFu);
        if (b == 0) b = 7;
        if (i & 2) b = -b;
        hash = mix(hash, (uint32_t)a * (uint32_t)b);
        hash = mix(hash, (uint32_t)(a / b));
        hash = mix(hash, (uint32_t)(a % b));
    }
    return hash;
}

/* 16-bit operands: the compiler uses MULS/MULU/DIVS/DIVU directly. */
static uint32_t muldiv_16(void) {
    uint32_t state = 0x16161616u, hash = 0;
    for (int i = 0; i < 300; ++i) {
        const int16_t a = (int16_t)xorshift32(&state);
        int16_t b = (int16_t)(xorshift32(&state) >> 20);
        if (b == 0) b = -3;
        const uint16_t ua = (uint16_t)a, ub = (uint16_t)(b | 1);
        hash = mix(hash, (uint32_t)((int32_t)a * b));
        hash = mix(hash, (uint32_t)ua * ub);
        hash = mix(hash, (uint32_t)(int16_t)(a / b));
        hash = mix(hash, (uint32_t)(uint16_t)(ua % ub));
    }
    return hash;
}

/* ---- bit manipulation ---- */

static uint32_t bits(void) {
    uint32_t state = 0x0F0F1234u, hash = 0;
    for (int i = 0; i < 150; ++i) {
        const uint32_t x = xorshift32(&state);
        uint32_t count = 0, reversed = 0, leading = 0;
        for (uint32_t v = x; v; v &= v - 1) ++count;
        for (int b = 0; b < 32; ++b) reversed |= ((x >> b) & 1u) << (31 - b);
        for (uint32_t m = 0x80000000u; m && !(x & m); m >>= 1) ++leading;
        const unsigned r = (unsigned)i & 31;
        const uint32_t rotated = r ? (x << r) | (x >> (32 - r)) : x;
        const uint32_t field = (x >> 7) & 0x1FFu;
        const uint32_t swapped = (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
        hash = mix(hash, count | leading << 8 | field << 16);
        hash = mix(hash, reversed ^ rotated ^ swapped);
    }
    return hash;
}

/* ---- strings and memory ---- */

static size_t text_length(const char* s) {
    const char* p = s;
    while (*p) ++p;
    return (size_t)(p - s);
}

static int text_compare(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return (int)(uint8_t)*a - (int)(uint8_t)*b;
}

static char* text_copy(char* d, const char* s) {
    char* r = d;
    while ((*d++ = *s++) != 0) {
    }
    return r;
}

static uint32_t strings(void) {
    static const char* const words[] = {"SPRITE", "SPRITES", "BOARD", "", "68000", "SLICE", "SPRIT", "VECTOR"};
    char joined[96];
    uint32_t hash = 0;
    joined[0] = 0;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const int c = text_compare(words[i], words[j]);
            hash = mix(hash, (uint32_t)(c < 0 ? 1 : c > 0 ? 2 : 3));
        }
        text_copy(joined + text_length(joined), words[i]);
        hash = mix(hash, (uint32_t)text_length(joined));
    }
    return crc32_update(hash, (const uint8_t*)joined, (uint32_t)text_length(joined));
}

/* memcpy, memmove (both overlaps), memset and memcmp: the ROM's own
   runtime on the 68000, the C library on the host. */
static uint32_t memory(void) {
    static uint8_t area[512];
    uint32_t hash = 0;
    for (int i = 0; i < 512; ++i) area[i] = (uint8_t)(i * 7 + 3);
    for (int round = 0; round < 16; ++round) {
        const size_t n = (size_t)(17 + round * 9);
        memmove(area + round + 1, area + round, n);
        memmove(area + 200 + round, area + 203 + round, n);
        memcpy(area + 400, area + round * 3, 40);
        memset(area + 300 + round, round * 13, (size_t)round);
        const int order = memcmp(area, area + 256, (size_t)(64 + round));
        hash = mix(hash, order < 0 ? 1u : order > 0 ? 2u : 3u);
    }
    return crc32_update(hash, area, sizeof area);
}

/* ---- a sieve of small primes ---- */

static uint32_t sieve(void) {
    static uint8_t composite[2000];
    uint32_t count = 0, sum = 0;
    memset(composite, 0, sizeof composite);
    for (uint32_t i = 2; i < sizeof composite; ++i) {
        if (composite[i]) continue;
        ++count;
        sum += i;
        for (uint32_t j = i * i; j < sizeof composite; j += i) composite[j] = 1;
    }
    return count << 20 ^ sum;
}

void run_workloads(uint32_t results[WORKLOAD_RESULTS]) {
    results[0] = crc_check_value();
    results[1] = crc_4k();
    results[2] = insertion_sort();
    results[3] = quick_sort();
    results[4] = heap_sort();
    results[5] = muldiv_unsigned();
    results[6] = muldiv_signed();
    results[7] = muldiv_16();
    results[8] = bits();
    results[9] = strings();
    results[10] = memory();
    results[11] = sieve();
}
