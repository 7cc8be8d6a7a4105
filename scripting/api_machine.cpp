// emu's memory, registers and symbols. Reads go through Machine::peekWord,
// which reads ROM and RAM without side effects and refuses the ports; writes
// go to work RAM and sprite RAM only.
#include <lua.hpp>

#include <cstring>

#include "api.h"
#include "engine.h"
#include "memory_map.h"
#include "run_control.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace scripting {

namespace {

constexpr uint16_t kSupervisor = 0x2000;  // the status register's S bit

uint16_t readWord(Machine& machine, const Arguments& args, uint32_t address) {
    const auto word = machine.peekWord(address & ~1u);
    if (!word)
        args.fail(hexAddress(address) + " is not ROM or RAM: a script reads those only, since reading a port acts on "
                  "the board");
    return *word;
}

uint32_t evenAddress(const Arguments& args) {
    const uint32_t address = args.address(1);
    if (address & 1) args.fail(hexAddress(address) + " is odd: words and long words are at even addresses");
    return address;
}

int read8(lua_State* L, Script& s, const Arguments& args) {
    const uint32_t address = args.address(1);
    const uint16_t word = readWord(s.engine().machine(), args, address);
    lua_pushinteger(L, address & 1 ? word & 0xFF : word >> 8);
    return 1;
}

int read16(lua_State* L, Script& s, const Arguments& args) {
    lua_pushinteger(L, readWord(s.engine().machine(), args, evenAddress(args)));
    return 1;
}

int read32(lua_State* L, Script& s, const Arguments& args) {
    const uint32_t address = evenAddress(args);
    if (address + 2 > kHighestAddress) args.fail(hexAddress(address) + ": a long word there runs past 0xFFFFFF");
    const uint32_t high = readWord(s.engine().machine(), args, address);
    lua_pushinteger(L, high << 16 | readWord(s.engine().machine(), args, address + 2));
    return 1;
}

int readRange(lua_State* L, Script& s, const Arguments& args) {
    const uint32_t address = args.address(1);
    const auto length = static_cast<uint32_t>(args.integer(2, "length", 0, kHighestAddress + 1 - address));
    std::string bytes(length, '\0');
    for (uint32_t i = 0; i < length; ++i) {
        const uint16_t word = readWord(s.engine().machine(), args, address + i);
        bytes[i] = static_cast<char>((address + i) & 1 ? word & 0xFF : word >> 8);
    }
    lua_pushlstring(L, bytes.data(), bytes.size());
    return 1;
}

// The host-order word of RAM holding `address`, which a script may write.
uint16_t& ramWord(Machine& machine, const Arguments& args, uint32_t address) {
    using namespace address_map;
    const Memory memory = kWorkRam.holds(address) ? Memory::WorkRam : Memory::SpriteRam;
    const AddressRange& range = kWorkRam.holds(address) ? kWorkRam : kSpriteRam;
    const std::span<unsigned char> bytes = machine.memory(memory);
    if (!range.holds(address) || bytes.size() < range.size())
        args.fail(hexAddress(address) + " is not RAM: a script writes work RAM (0x100000-0x103FFF) and sprite RAM "
                  "(0x700000-0x701DFF) only");
    return reinterpret_cast<uint16_t*>(bytes.data())[(address - range.low) / 2];
}

void write(Script& s, const Arguments& args, uint32_t address, uint32_t value, int bytes) {
    Machine& machine = s.engine().machine();
    for (int i = 0; i < bytes; ++i) ramWord(machine, args, address + i);  // all or nothing
    for (int i = 0; i < bytes; ++i) {
        const uint32_t at = address + i;
        const auto byte = static_cast<uint16_t>(value >> 8 * (bytes - 1 - i) & 0xFF);
        uint16_t& word = ramWord(machine, args, at);
        word = at & 1 ? (word & 0xFF00) | byte : (word & 0x00FF) | byte << 8;
    }
    debuggerTargetChanged();  // the recorded past no longer leads here
}

int write8(lua_State*, Script& s, const Arguments& args) {
    const uint32_t address = args.address(1);
    write(s, args, address, static_cast<uint32_t>(args.integer(2, "value", -0x80, 0xFF)), 1);
    return 0;
}

int write16(lua_State*, Script& s, const Arguments& args) {
    const uint32_t address = evenAddress(args);
    write(s, args, address, static_cast<uint32_t>(args.integer(2, "value", -0x8000, 0xFFFF)), 2);
    return 0;
}

int write32(lua_State*, Script& s, const Arguments& args) {
    const uint32_t address = evenAddress(args);
    write(s, args, address, static_cast<uint32_t>(args.integer(2, "value", -0x80000000LL, 0xFFFFFFFFLL)), 4);
    return 0;
}

// A register by name: d0-d7, a0-a7, pc, sr, usp, ssp.
uint32_t* registerNamed(const std::string& name) {
    s68000context& c = _s68000context;
    if (name.size() == 2 && (name[0] == 'd' || name[0] == 'a') && name[1] >= '0' && name[1] <= '7')
        return &(name[0] == 'd' ? c.dreg : c.areg)[name[1] - '0'];
    if (name == "pc") return &c.pc;
    const bool supervisor = c.sr & kSupervisor;
    if (name == "usp") return supervisor ? &c.asp : &c.areg[7];
    if (name == "ssp") return supervisor ? &c.areg[7] : &c.asp;
    return nullptr;
}

std::string registerName(const Arguments& args) {
    const std::string name = args.string(1, "register");
    if (name != "sr" && !registerNamed(name))
        args.fail("no register '" + name + "': give d0-d7, a0-a7, pc, sr, usp or ssp");
    return name;
}

int reg(lua_State* L, Script&, const Arguments& args) {
    const std::string name = registerName(args);
    lua_pushinteger(L, name == "sr" ? _s68000context.sr : *registerNamed(name));
    return 1;
}

int setReg(lua_State*, Script&, const Arguments& args) {
    const std::string name = registerName(args);
    if (name == "sr") {
        s68000setSR(static_cast<uint16_t>(args.integer(2, "value", 0, 0xFFFF)));
    } else if (name == "pc") {
        *registerNamed(name) = static_cast<uint32_t>(args.integer(2, "value", 0, kHighestAddress));
    } else {
        *registerNamed(name) = static_cast<uint32_t>(args.integer(2, "value", -0x80000000LL, 0xFFFFFFFFLL));
    }
    debuggerTargetChanged();  // the recorded past no longer leads here
    return 0;
}

int symbol(lua_State* L, Script& s, const Arguments& args) {
    const std::string name = args.string(1, "name");
    const workbench::Symbols* symbols = s.engine().symbols();
    const auto address = symbols ? symbols->find(name) : std::nullopt;
    if (address) lua_pushinteger(L, *address);
    else lua_pushnil(L);
    return 1;
}

int symbolAt(lua_State* L, Script& s, const Arguments& args) {
    const uint32_t address = args.address(1);
    const workbench::Symbols* symbols = s.engine().symbols();
    const std::string name = symbols ? symbols->describe(address) : "";
    if (name.empty()) lua_pushnil(L);
    else lua_pushstring(L, name.c_str());
    return 1;
}

constexpr ApiFunction kMachineFunctions[] = {
    {"emu", "read8", read8},       {"emu", "read16", read16},     {"emu", "read32", read32},
    {"emu", "readRange", readRange}, {"emu", "write8", write8},   {"emu", "write16", write16},
    {"emu", "write32", write32},   {"emu", "reg", reg},           {"emu", "setReg", setReg},
    {"emu", "symbol", symbol},     {"emu", "symbolAt", symbolAt},
};

}  // namespace

std::span<const ApiFunction> machineFunctions() { return kMachineFunctions; }

}  // namespace scripting
