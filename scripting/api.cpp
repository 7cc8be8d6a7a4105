#include "api.h"

#include <lua.hpp>

#include <string>

#include "engine.h"

namespace scripting {

namespace {

// Every API function is this closure over its ApiFunction. An error becomes
// a Lua error at the calling line once no C++ object is left on the way.
int enter(lua_State* L) {
    const auto* function = static_cast<const ApiFunction*>(lua_touserdata(L, lua_upvalueindex(1)));
    int results = -1;
    bool exited = false;
    {
        char fullName[64];
        std::snprintf(fullName, sizeof fullName, "%s.%s", function->table, function->name);
        try {
            results = function->call(L, Script::of(L), Arguments(L, fullName));
        } catch (const ExitRequest&) {
            exited = true;
        } catch (const std::exception& error) {
            luaL_where(L, 1);
            lua_pushstring(L, error.what());
            lua_concat(L, 2);
        }
    }
    if (exited) lua_pushlightuserdata(L, exitSentinel());
    if (results < 0) return lua_error(L);
    return results;
}

void install(lua_State* L, std::span<const ApiFunction> functions) {
    for (const ApiFunction& function : functions) {
        if (lua_getglobal(L, function.table) != LUA_TTABLE) {
            lua_pop(L, 1);
            lua_newtable(L);
            lua_pushvalue(L, -1);
            lua_setglobal(L, function.table);
        }
        lua_pushlightuserdata(L, const_cast<ApiFunction*>(&function));
        lua_pushcclosure(L, enter, 1);
        lua_setfield(L, -2, function.name);
        lua_pop(L, 1);
    }
}

}  // namespace

void installApi(lua_State* L) {
    install(L, machineFunctions());
    install(L, controlFunctions());
    // print writes where console.log does.
    lua_getglobal(L, "console");
    lua_getfield(L, -1, "log");
    lua_setglobal(L, "print");
    lua_pop(L, 1);
}

}  // namespace scripting
