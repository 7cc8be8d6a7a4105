// The API functions' arguments taken from the Lua stack. A wrong argument
// throws ArgumentError naming the function, the argument and what it must be;
// the caller turns it into a Lua error (api.cpp), so that no Lua error ever
// jumps over a C++ object.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

struct lua_State;

namespace scripting {

struct ArgumentError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The highest 68000 address (24 bits).
constexpr uint32_t kHighestAddress = 0xFFFFFF;

// "0x10A2F0": addresses as messages show them.
std::string hexAddress(uint32_t address);

class Arguments {
public:
    // The arguments of the API function called `function` ("emu.read16").
    Arguments(lua_State* L, const char* function) : fL(L), fFunction(function) {}

    int count() const;
    bool given(int index) const;
    // A whole number from low to high (a float with no fraction counts).
    int64_t integer(int index, const char* name, int64_t low, int64_t high) const;
    // A 68000 address, 0 to 0xFFFFFF.
    uint32_t address(int index, const char* name = "address") const;
    std::string string(int index, const char* name) const;
    // Index `index` must hold a function.
    void function(int index, const char* name) const;
    // Index `index` must hold a table.
    void table(int index, const char* name) const;

    [[noreturn]] void fail(const std::string& what) const;

private:
    [[noreturn]] void wrongType(int index, const char* name, const char* wanted) const;

    lua_State* fL;
    const char* fFunction;
};

}  // namespace scripting
