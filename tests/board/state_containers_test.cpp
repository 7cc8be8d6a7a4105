// RetroArch's state containers, built as RetroArch 1.14 writes them (its
// real files load in retroarch.cmake): good ones, and each refusal.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "little_endian.h"
#include "save_state.h"
#include "state_containers.h"

namespace {

Bytes image() {
    BoardState state{};
    state.pc = 0x400;
    return encodeState(state, 0x1234);
}

// "RASTATE" 1, the MEM block padded to 8 bytes, END.
Bytes rastate(const Bytes& memory, uint32_t claimed) {
    Bytes out;
    put(out, std::string("RASTATE\x01MEM ", 12));
    put(out, claimed, 4);
    out.insert(out.end(), memory.begin(), memory.end());
    out.resize((out.size() + 7) / 8 * 8, 0);
    put(out, std::string("END \0\0\0\0", 8));
    return out;
}
Bytes rastate(const Bytes& memory) { return rastate(memory, static_cast<uint32_t>(memory.size())); }

// "#RZIPv" 1 "#", the chunk size, the total, then the zlib chunks.
Bytes rzip(const Bytes& content, uint32_t chunk, uint64_t claimedTotal) {
    Bytes out;
    put(out, std::string("#RZIPv\x01#", 8));
    put(out, chunk, 4);
    put(out, claimedTotal, 8);
    for (size_t at = 0; at < content.size(); at += chunk) {
        const size_t length = std::min<size_t>(chunk, content.size() - at);
        uLongf packed = compressBound(static_cast<uLong>(length));
        Bytes data(packed);
        EXPECT_EQ(compress(data.data(), &packed, content.data() + at, static_cast<uLong>(length)), Z_OK);
        put(out, packed, 4);
        out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(packed));
    }
    return out;
}
Bytes rzip(const Bytes& content, uint32_t chunk = 131072) { return rzip(content, chunk, content.size()); }

TEST(StateContainers, OpenTheImageOrSayWhyNot) {
    const Bytes plain = rastate(image()), packed = rzip(image());
    const struct {
        Bytes file;
        const char* error;  // null: the image comes out whole
    } rows[] = {
        {image(), nullptr},
        {plain, nullptr},
        {rzip(plain, 4096), nullptr},
        {Bytes(plain.begin(), plain.end() - 1000),
         "is a damaged RetroArch state: its block \"MEM \" claims 25222 bytes where 24232 are left"},
        {rastate(image(), 0xFFFFFFF0u),
         "is a damaged RetroArch state: its block \"MEM \" claims 4294967280 bytes where 25232 are left"},
        {rzip(plain, 131072, uint64_t{1} << 40),
         "is a compressed RetroArch state of 1099511627776 bytes, more than a state of this program takes (25248)"},
        {[&] {
             Bytes f(packed.begin(), packed.begin() + 20);
             put(f, 0xFFFFFFFFu, 4);
             put(f, "xyz");
             return f;
         }(),
         "is a compressed RetroArch state cut short: a chunk claims 4294967295 bytes where 3 are left"},
        {[&] { auto f = rzip(plain); f[f.size() - 6] ^= 0x55; return f; }(),
         "is a damaged compressed RetroArch state: a chunk does not inflate to its 25248 bytes"},
        {[&] { auto f = packed; f[6] = 2; return f; }(), "is a compressed RetroArch state of an unknown version 2"},
        {[&] { auto f = rastate(image(), 0xFFFFFFF0u); f[8] = 0x1B, f[10] = 0; return f; }(),
         "is a damaged RetroArch state: its block \"\\x1bE\\x00 \" claims 4294967280 bytes where 25232 are left"},
        {[&] { auto f = plain; put(f, "junk"); return f; }(),
         "is a damaged RetroArch state: 4 bytes follow its END block"},
    };
    for (const auto& r : rows) {
        Bytes out{9};
        std::string error;
        const bool opened = stateImageOf(r.file.data(), r.file.size(), out, error);
        EXPECT_EQ(opened, !r.error) << error;
        EXPECT_EQ(error, r.error ? r.error : "");
        EXPECT_EQ(out, r.error ? Bytes{9} : image()) << "row " << &r - rows;
    }
}

}  // namespace
