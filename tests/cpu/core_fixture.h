// Test machinery for the 68000 core: memory images of their exact size (the
// sanitizers see any access outside them), region lists, logging handler
// regions, a word assembler and a fixture over the core's one context.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "s68000.h"
#include "s68000_debug.h"

namespace coretest {

// A memory image in the host's format: each 68000 word a host-order 16-bit
// value, so the byte at 68000 address A is at image position (A - low) ^ 1.
class Image {
public:
    Image(uint32_t low, uint32_t high, uint8_t fill = 0)
        : low_(low), high_(high), bytes_(size_t{high} - low + 1, fill) {}
    uint32_t low() const { return low_; }
    uint32_t high() const { return high_; }
    size_t size() const { return bytes_.size(); }
    uint8_t* host() { return bytes_.data(); }
    std::vector<uint8_t> snapshot() const { return bytes_; }
    void put8(uint32_t a, uint8_t v) { bytes_[position(a)] = v; }
    uint8_t get8(uint32_t a) const { return bytes_[position(a)]; }
    void put16(uint32_t a, uint16_t v) { put8(a, uint8_t(v >> 8)), put8(a + 1, uint8_t(v)); }
    uint16_t get16(uint32_t a) const { return static_cast<uint16_t>(get8(a) << 8 | get8(a + 1)); }
    void put32(uint32_t a, uint32_t v) { put16(a, uint16_t(v >> 16)), put16(a + 2, uint16_t(v)); }
    uint32_t get32(uint32_t a) const { return uint32_t{get16(a)} << 16 | get16(a + 2); }

private:
    size_t position(uint32_t a) const {
        const size_t p = (size_t{a} - low_) ^ 1;
        if (a < low_ || a > high_ || p >= size()) ADD_FAILURE() << "test writes outside its image";
        return p < size() ? p : 0;
    }
    uint32_t low_, high_;
    std::vector<uint8_t> bytes_;  // allocated to its exact size
};

// Handler regions that log every call. Reads answer `port_reply(address)`
// when set, else 0; every call runs `port_action` when set.
struct PortCall {
    bool write;
    uint32_t address, data;
    bool operator==(const PortCall&) const = default;
};
extern std::vector<PortCall> port_log;
extern std::function<void()> port_action;
extern std::function<uint32_t(uint32_t)> port_reply;
uint32_t port_read(uint32_t address, data_region* region);
void port_write(uint32_t address, uint32_t data, data_region* region);
inline PortCall R(uint32_t a) { return {false, a, 0}; }
inline PortCall Wr(uint32_t a, uint32_t d) { return {true, a, d}; }
using Log = std::vector<PortCall>;

// The five lists of one mode. Records are added, then finish() ends the lists;
// they must not change after they are installed.
struct Lists {
    std::vector<program_region> fetch;
    std::vector<data_region> readbyte, readword, writebyte, writeword;

    void program(Image& m) { fetch.push_back(s68000_program(m.low(), m.high(), m.host())); }
    void data(Image& m) {
        for (auto* l : {&readbyte, &readword, &writebyte, &writeword})
            l->push_back(s68000_direct(m.low(), m.high(), m.host()));
    }
    // A logging handler region (port_read, port_write).
    void ports(uint32_t low, uint32_t high) {
        for (auto* l : {&readbyte, &readword}) l->push_back(s68000_reader(low, high, port_read));
        for (auto* l : {&writebyte, &writeword}) l->push_back(s68000_writer(low, high, port_write));
    }
    void finish() {
        fetch.push_back(s68000_program_end());
        for (auto* l : {&readbyte, &readword, &writebyte, &writeword}) l->push_back(s68000_data_end());
    }
};

// Installs the supervisor and user sets in the context's list pointers.
void install(Lists& super, Lists& user);

// Hand assembly: words written at consecutive 68000 addresses of an image.
class Asm {
public:
    Asm(Image& m, uint32_t at) : m_(m), pc_(at) {}
    Asm& w(uint16_t v) { return m_.put16(pc_, v), pc_ += 2, *this; }
    Asm& w(const std::vector<uint16_t>& words) {
        for (uint16_t v : words) w(v);
        return *this;
    }
    Asm& l(uint32_t v) { return w(uint16_t(v >> 16)).w(uint16_t(v)); }
    uint32_t here() const { return pc_; }

private:
    Image& m_;
    uint32_t pc_;
};

// How a slice ended.
constexpr uint32_t OK = S68000_EXIT_OK, NO_REGION = S68000_EXIT_NO_REGION;

// Instructions with an absolute long operand; the address words follow.
constexpr uint16_t MOVE_W_ABS_D0 = 0x3039;
constexpr uint16_t MOVE_L_ABS_D0 = 0x2039;
constexpr uint16_t MOVE_W_D0_ABS = 0x33C0;
constexpr uint16_t NOP = 0x4E71;
constexpr uint16_t RTE = 0x4E73;

// The standard machine: one 64 KiB image at 0x000000-0x00FFFF that is program
// and data (vectors, code, stack), a logging port region at 0xF00000-0xF0FFFF
// and the same lists for both modes. Every exception vector n points to
// 0x4000 + 16n, where `BRA.S *` waits.
constexpr uint32_t RESET_SSP = 0x8000;
constexpr uint32_t CODE = 0x1000;
constexpr uint32_t PORT = 0xF00000;
constexpr uint32_t vector_target(unsigned n) { return 0x4000 + 16 * n; }

class CoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s68000init(); }
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear();  // the context and the port's globals

    // Builds the standard lists afresh (the user set equal to the supervisor
    // set), after the records `first` adds, and resets the core so that it
    // starts at `pc`.
    void start(uint32_t pc = CODE, const std::function<void(Lists&)>& first = {});
    void set_sr(uint16_t sr) { s68000setSR(sr); }
    Asm code(uint32_t at = CODE) { return Asm(mem, at); }
    // Writes `words` at CODE and moves the PC there.
    void load(const std::vector<uint16_t>& words) {
        code().w(words);
        ctx().pc = CODE;
    }

    s68000context& ctx() { return _s68000context; }
    uint32_t D(int n) { return _s68000context.dreg[n]; }
    uint32_t A(int n) { return _s68000context.areg[n]; }
    // The exception frame at the active stack pointer (supervisor mode).
    uint16_t frame_sr() { return mem.get16(A(7)); }
    uint32_t frame_pc() { return mem.get32(A(7) + 2); }

    Image mem{0x000000, 0x00FFFF};
    Lists super, user;
};

// Runs one slice and returns the cycles it added to the odometer.
inline uint32_t cycles_of(int32_t budget, uint32_t* exit_code = nullptr) {
    const uint32_t before = s68000readOdometer();
    const uint32_t code = s68000exec(budget);
    if (exit_code) *exit_code = code;
    return s68000readOdometer() - before;
}

}  // namespace coretest
