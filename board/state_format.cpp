// The byte image of a save state: little-endian fixed-width fields written
// and read one by one, a header that names the format and the ROM set, and a
// CRC-32 over the body. The reader checks everything before it fills in
// anything.
#include <zlib.h>

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "save_state.h"

namespace {

using namespace save_state;

class Writer {
public:
    explicit Writer(std::vector<uint8_t>& out) : fOut(out) {}
    void u8(uint8_t v) { fOut.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
    }
    template <size_t N>
    void u8s(const uint8_t (&values)[N]) { fOut.insert(fOut.end(), values, values + N); }
    template <size_t N>
    void u16s(const uint16_t (&values)[N]) {
        for (uint16_t v : values) u16(v);
    }
    template <size_t N>
    void u32s(const uint32_t (&values)[N]) {
        for (uint32_t v : values) u32(v);
    }

private:
    std::vector<uint8_t>& fOut;
};

// Reads fields from a buffer whose length the caller has already checked.
class Reader {
public:
    explicit Reader(const uint8_t* at) : fAt(at) {}
    uint8_t u8() { return *fAt++; }
    uint16_t u16() {
        const uint16_t low = u8();
        return static_cast<uint16_t>(low | u8() << 8);
    }
    uint32_t u32() {
        const uint32_t low = u16();
        return low | static_cast<uint32_t>(u16()) << 16;
    }
    uint64_t u64() {
        const uint64_t low = u32();
        return low | static_cast<uint64_t>(u32()) << 32;
    }
    template <size_t N>
    void u8s(uint8_t (&values)[N]) {
        std::memcpy(values, fAt, N);
        fAt += N;
    }
    template <size_t N>
    void u16s(uint16_t (&values)[N]) {
        for (uint16_t& v : values) v = u16();
    }
    template <size_t N>
    void u32s(uint32_t (&values)[N]) {
        for (uint32_t& v : values) v = u32();
    }

private:
    const uint8_t* fAt;
};

// Sets `error` to the formatted line; false, for `return refuse(...)`.
__attribute__((format(printf, 2, 3))) bool refuse(std::string& error, const char* format, ...) {
    char line[200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    error = line;
    return false;
}

uint32_t crcOf(const uint8_t* data, size_t size) {
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(size)));
}

void writeBody(Writer& w, const BoardState& s) {
    w.u32s(s.dreg);
    w.u32s(s.areg);
    w.u32(s.asp);
    w.u32(s.pc);
    w.u32(s.odometer);
    w.u8s(s.interrupts);
    w.u16(s.sr);
    w.u16s(s.workRam);
    w.u16s(s.spriteRam);
    w.u8s(s.paletteRam);
    w.u16s(s.drawingPalette);
    w.u8s(s.inputPorts);
    w.u16(s.nextInterrupt);
    w.u16(s.interruptEnable);
    w.u16(s.irq4Ack);
    w.u16(s.irq3Ack);
    w.u16(s.irq2Ack);
    w.u16(s.watchdog);
    w.u8(s.testMode);
    w.u8(static_cast<uint8_t>(s.speed));
}

void readBody(Reader& r, BoardState& s) {
    r.u32s(s.dreg);
    r.u32s(s.areg);
    s.asp = r.u32();
    s.pc = r.u32();
    s.odometer = r.u32();
    r.u8s(s.interrupts);
    s.sr = r.u16();
    r.u16s(s.workRam);
    r.u16s(s.spriteRam);
    r.u8s(s.paletteRam);
    r.u16s(s.drawingPalette);
    r.u8s(s.inputPorts);
    s.nextInterrupt = r.u16();
    s.interruptEnable = r.u16();
    s.irq4Ack = r.u16();
    s.irq3Ack = r.u16();
    s.irq2Ack = r.u16();
    s.watchdog = r.u16();
    s.testMode = r.u8();
    s.speed = static_cast<Speed>(r.u8());
}

// The fields with a fixed range hold values the machine can have.
bool checkValues(const BoardState& s, std::string& error) {
    constexpr uint16_t kSrBits = 0xA71F;  // T, S, the interrupt mask, X N Z V C
    if (s.sr & ~kSrBits)
        return refuse(error, "is damaged: its SR 0x%04X has bits the 68000 does not have", s.sr);
    if (s.nextInterrupt != 0 && (s.nextInterrupt < 26 || s.nextInterrupt > 28))
        return refuse(error, "is damaged: its next interrupt vector %u is not 0, 26, 27 or 28", s.nextInterrupt);
    if (s.testMode > 1)
        return refuse(error, "is damaged: its service-mode flag is %u, not 0 or 1", s.testMode);
    if (static_cast<uint8_t>(s.speed) > static_cast<uint8_t>(Speed::Unlimited))
        return refuse(error, "is damaged: its speed %u is not 0 (60 fps), 1 (30 fps) or 2 (unlimited)",
                      static_cast<unsigned>(s.speed));
    return true;
}

}  // namespace

std::vector<uint8_t> encodeState(const BoardState& state, uint64_t romSetHash) {
    std::vector<uint8_t> image;
    image.reserve(kImageSize);
    Writer w(image);
    for (uint8_t b : kMagic) w.u8(b);
    w.u32(kFormatVersion);
    w.u64(romSetHash);
    w.u32(static_cast<uint32_t>(kBodySize));
    w.u32(0);  // the CRC, once the body is there
    writeBody(w, state);
    const uint32_t crc = crcOf(image.data() + kHeaderSize, kBodySize);
    for (int i = 0; i < 4; ++i) image[kHeaderSize - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return image;
}

bool decodeState(const uint8_t* image, size_t size, uint64_t romSetHash, BoardState& state,
                 std::string& error) {
    if (size < sizeof kMagic || std::memcmp(image, kMagic, sizeof kMagic) != 0)
        return refuse(error, "is not a save state (it does not start with the state signature)");
    if (size < kHeaderSize)
        return refuse(error, "is cut short: %zu bytes, less than its %zu-byte header", size, kHeaderSize);
    Reader header(image + sizeof kMagic);
    const uint32_t version = header.u32();
    const uint64_t hash = header.u64();
    const uint32_t length = header.u32();
    const uint32_t crc = header.u32();
    if (version > kFormatVersion)
        return refuse(error,
                      "was saved by a newer version of the program (state format %" PRIu32
                      "; this one reads format %" PRIu32 ")",
                      version, kFormatVersion);
    if (version != kFormatVersion) return refuse(error, "has an unknown state format %" PRIu32, version);
    if (hash != romSetHash)
        return refuse(error, "belongs to another ROM set (%016" PRIx64 "; the loaded one is %016" PRIx64 ")", hash,
                      romSetHash);
    if (length != kBodySize)
        return refuse(error, "is damaged: its header gives a body of %" PRIu32 " bytes, the format has %zu", length,
                      kBodySize);
    if (size < kImageSize) return refuse(error, "is cut short: %zu bytes where a state has %zu", size, kImageSize);
    if (size > kImageSize) return refuse(error, "is too long: %zu bytes where a state has %zu", size, kImageSize);
    const uint32_t actual = crcOf(image + kHeaderSize, kBodySize);
    if (actual != crc)
        return refuse(error, "is damaged: the CRC-32 of its body is %08" PRIX32 ", its header says %08" PRIX32,
                      actual, crc);
    BoardState decoded;
    Reader body(image + kHeaderSize);
    readBody(body, decoded);
    if (!checkValues(decoded, error)) return false;
    state = decoded;
    return true;
}
