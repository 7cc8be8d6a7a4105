#include "arguments.h"

#include <lua.hpp>

#include <cstdio>

namespace scripting {

std::string hexAddress(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", address);
    return text;
}

int Arguments::count() const { return lua_gettop(fL); }

bool Arguments::given(int index) const { return !lua_isnoneornil(fL, index); }

void Arguments::fail(const std::string& what) const { throw ArgumentError(std::string(fFunction) + ": " + what); }

void Arguments::wrongType(int index, const char* name, const char* wanted) const {
    fail("argument " + std::to_string(index) + " (" + name + ") must be " + wanted + ", not " +
         (lua_isnone(fL, index) ? "missing" : luaL_typename(fL, index)));
}

int64_t Arguments::integer(int index, const char* name, int64_t low, int64_t high) const {
    int isInteger = 0;
    const lua_Integer value = lua_type(fL, index) == LUA_TNUMBER ? lua_tointegerx(fL, index, &isInteger) : 0;
    if (!isInteger) wrongType(index, name, "a whole number");
    if (value < low || value > high)
        fail("argument " + std::to_string(index) + " (" + name + ") is " + std::to_string(value) + ", outside " +
             std::to_string(low) + " to " + std::to_string(high));
    return value;
}

uint32_t Arguments::address(int index, const char* name) const {
    int isInteger = 0;
    const lua_Integer value = lua_type(fL, index) == LUA_TNUMBER ? lua_tointegerx(fL, index, &isInteger) : 0;
    if (!isInteger) wrongType(index, name, "a whole number");
    if (value < 0 || value > kHighestAddress)
        fail("argument " + std::to_string(index) + " (" + name + ") is " + std::to_string(value) +
             ", outside the 68000's addresses 0x000000 to 0xFFFFFF");
    return static_cast<uint32_t>(value);
}

std::string Arguments::string(int index, const char* name) const {
    if (lua_type(fL, index) != LUA_TSTRING) wrongType(index, name, "a string");
    size_t length = 0;
    const char* text = lua_tolstring(fL, index, &length);
    return std::string(text, length);
}

void Arguments::function(int index, const char* name) const {
    if (lua_type(fL, index) != LUA_TFUNCTION) wrongType(index, name, "a function");
}

void Arguments::table(int index, const char* name) const {
    if (lua_type(fL, index) != LUA_TTABLE) wrongType(index, name, "a table");
}

}  // namespace scripting
