// MOVEM register lists, every register named by itself.
#include "cpudebug.h"

namespace {

// Appends the name of every register whose mask bit is set, bit 0 first,
// separated by '/'. `names` gives the register of each bit.
void register_list(unsigned short mask, const char* const names[16], char* out) {
    char* end = out;
    for (int bit = 0; bit < 16; ++bit) {
        if (!(mask & (1u << bit))) continue;
        if (end != out) *end++ = '/';
        *end++ = names[bit][0];
        *end++ = names[bit][1];
    }
    *end = '\0';
}

constexpr const char* kForward[16] = {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7",
                                      "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"};
constexpr const char* kBackward[16] = {"a7", "a6", "a5", "a4", "a3", "a2", "a1", "a0",
                                       "d7", "d6", "d5", "d4", "d3", "d2", "d1", "d0"};

}  // namespace

void getreglistf(unsigned short mask, char* out) { register_list(mask, kForward, out); }
void getreglistb(unsigned short mask, char* out) { register_list(mask, kBackward, out); }
