// Fuzzes the script API's argument conversion: any API function called with
// any values (nil, booleans, whole and fractional numbers, strings, tables
// of inputs, functions) returns, or raises an error that names the function
// (or ends the script, for emu.exit); nothing crashes. The board has no ROM
// set here, so reads and writes are refused after their arguments were taken.
#include <lua.hpp>

#include "api.h"
#include "engine.h"
#include "fuzz_check.h"

namespace {

struct QuietHost final : scripting::ScriptHost {
    bool paused() const override { return false; }
    void setPaused(bool) override {}
    void exit(int) override {}
    void reset() override {}
    void state(bool, int, const std::string&) override {}
    bool screenshot(const std::string&, std::string& error) override {
        error = "none here";
        return false;
    }
};

int nothing(lua_State*) { return 0; }

void pushValue(lua_State* L, FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange(0, 6)) {
        case 0: lua_pushnil(L); break;
        case 1: lua_pushboolean(L, data.ConsumeBool()); break;
        case 2: lua_pushinteger(L, data.ConsumeIntegral<lua_Integer>()); break;
        case 3: lua_pushnumber(L, data.ConsumeFloatingPoint<double>()); break;
        case 4: {
            const std::string text = data.ConsumeRandomLengthString(32);
            lua_pushlstring(L, text.data(), text.size());
            break;
        }
        case 5: {  // a table of inputs, as input.set takes
            lua_newtable(L);
            for (int keys = data.ConsumeIntegralInRange(0, 3); keys > 0; --keys) {
                const std::string key = data.ConsumeRandomLengthString(8);
                if (data.ConsumeBool()) lua_pushinteger(L, data.ConsumeIntegral<int8_t>());
                else lua_pushlstring(L, key.data(), key.size());
                lua_pushboolean(L, data.ConsumeBool());
                lua_settable(L, -3);
            }
            break;
        }
        default: lua_pushcfunction(L, nothing); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const bool quiet = (silenceStdout(), true);
    (void)quiet;
    static QuietHost host;
    static scripting::Engine engine(boardMachine(), host);
    std::vector<scripting::ApiFunction> functions;
    for (const auto& f : scripting::machineFunctions()) functions.push_back(f);
    for (const auto& f : scripting::controlFunctions()) functions.push_back(f);

    FuzzedDataProvider data(bytes, size);
    scripting::Script script(engine, "fuzz");
    lua_State* L = script.state();
    for (int calls = data.ConsumeIntegralInRange(1, 4); calls > 0 && data.remaining_bytes() > 0; --calls) {
        const auto& function = functions[data.ConsumeIntegralInRange<size_t>(0, functions.size() - 1)];
        lua_getglobal(L, function.table);
        lua_getfield(L, -1, function.name);
        lua_remove(L, -2);
        const int arguments = data.ConsumeIntegralInRange(0, 4);
        for (int i = 0; i < arguments; ++i) pushValue(L, data);
        if (lua_pcall(L, arguments, LUA_MULTRET, 0) != LUA_OK && lua_touserdata(L, -1) != scripting::exitSentinel()) {
            const char* message = lua_tostring(L, -1);
            const std::string name = std::string(function.table) + "." + function.name + ": ";
            if (!message || std::string(message).find(name) == std::string::npos)
                fail("an API error that does not name its function");
        }
        lua_settop(L, 0);
    }
    return 0;
}
