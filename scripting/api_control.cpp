// emu's time, control, states and pictures; input; callbacks; console.
#include <lua.hpp>

#include <string>

#include "api.h"
#include "engine.h"
#include "key_codes.h"

namespace scripting {

namespace {

constexpr int kStateSlots = 8;

struct InputName {
    const char* name;
    uint8_t key;
};
// The board's inputs, by the keys that play them (README: Keys).
constexpr InputName kInputs[] = {
    {"up", kKeyUp},           {"down", kKeyDown},         {"left", kKeyLeft},
    {"right", kKeyRight},     {"button1", kKeyLeftAlt},   {"button2", kKeySpace},
    {"button3", kKeyLeftShift}, {"key1", kKeyDigit[0]},   {"key2", kKeyDigit[1]},
    {"key3", kKeyDigit[2]},   {"key4", kKeyDigit[3]},     {"key5", kKeyDigit[4]},
};

int frame(lua_State* L, Script& s, const Arguments&) {
    lua_pushinteger(L, s.engine().frame());
    return 1;
}

int cycles(lua_State* L, Script& s, const Arguments&) {
    lua_pushinteger(L, s.engine().machine().cycles());
    return 1;
}

int pause(lua_State*, Script& s, const Arguments&) {
    s.engine().host().setPaused(true);
    return 0;
}

int resume(lua_State*, Script& s, const Arguments&) {
    s.engine().host().setPaused(false);
    return 0;
}

int reset(lua_State*, Script& s, const Arguments&) {
    s.engine().host().reset();
    return 0;
}

int exit(lua_State*, Script& s, const Arguments& args) {
    const int status = args.given(1) ? static_cast<int>(args.integer(1, "status", 0, 255)) : 0;
    s.engine().exit(status);
    throw ExitRequest{};
}

// A slot (0 to 7) or a file's path.
void slotOrPath(lua_State* L, const Arguments& args, int& slot, std::string& path) {
    if (lua_type(L, 1) == LUA_TSTRING) {
        path = args.string(1, "slot or path");
        if (path.empty()) args.fail("argument 1 (slot or path) is an empty path");
    } else if (lua_type(L, 1) == LUA_TNUMBER) {
        slot = static_cast<int>(args.integer(1, "slot", 0, kStateSlots - 1));
    } else {
        args.fail(std::string("argument 1 (slot or path) must be a slot number or a path, not ") +
                  (lua_isnone(L, 1) ? "missing" : luaL_typename(L, 1)));
    }
}

int saveState(lua_State* L, Script& s, const Arguments& args) {
    int slot = 0;
    std::string path;
    slotOrPath(L, args, slot, path);
    s.engine().host().state(true, slot, path);
    return 0;
}

int loadState(lua_State* L, Script& s, const Arguments& args) {
    int slot = 0;
    std::string path;
    slotOrPath(L, args, slot, path);
    s.engine().host().state(false, slot, path);
    return 0;
}

int screenshot(lua_State*, Script& s, const Arguments& args) {
    const std::string path = args.string(1, "path");
    std::string error;
    if (!s.engine().host().screenshot(path, error)) args.fail("no screenshot written: " + error);
    return 0;
}

int inputSet(lua_State* L, Script& s, const Arguments& args) {
    args.table(1, "inputs");
    KeyStates held;
    for (lua_pushnil(L); lua_next(L, 1) != 0; lua_pop(L, 1)) {
        if (lua_type(L, -2) != LUA_TSTRING)
            args.fail(std::string("the inputs' names are strings, not ") + luaL_typename(L, -2));
        const std::string name = lua_tostring(L, -2);
        const InputName* input = nullptr;
        for (const InputName& candidate : kInputs)
            if (name == candidate.name) input = &candidate;
        if (!input)
            args.fail("no input '" + name + "': give up, down, left, right, button1-button3 or key1-key5");
        if (lua_toboolean(L, -1)) held.hold(input->key);
    }
    s.engine().heldKeys() = held;
    return 0;
}

int inputClear(lua_State*, Script& s, const Arguments&) {
    s.engine().heldKeys() = KeyStates{};
    return 0;
}

int inputGet(lua_State* L, Script& s, const Arguments&) {
    const KeyStates keys = s.engine().machine().lastFrameKeys();
    lua_newtable(L);
    for (const InputName& input : kInputs)
        if (keys.held(input.key)) {
            lua_pushboolean(L, 1);
            lua_setfield(L, -2, input.name);
        }
    return 1;
}

// callbacks.add(kind, [address, [length,]] function)
int add(lua_State* L, Script& s, const Arguments& args) {
    const std::string kind = args.string(1, "kind");
    Callback callback;
    int function = 2;
    if (kind == "frame" || kind == "reset") {
        callback.kind = kind == "frame" ? CallbackKind::Frame : CallbackKind::Reset;
    } else if (kind == "exec" || kind == "read" || kind == "write") {
        callback.kind = kind == "exec" ? CallbackKind::Exec : kind == "read" ? CallbackKind::Read : CallbackKind::Write;
        callback.address = args.address(2);
        function = 3;
        if (kind != "exec" && args.count() >= 4) {
            callback.length = static_cast<uint32_t>(args.integer(3, "length", 1, kHighestAddress + 1 - callback.address));
            function = 4;
        }
    } else {
        args.fail("no callback kind '" + kind + "': give frame, exec, read, write or reset");
    }
    args.function(function, "callback");
    lua_pushvalue(L, function);
    callback.function = luaL_ref(L, LUA_REGISTRYINDEX);
    try {
        lua_pushinteger(L, s.engine().add(s, callback));
    } catch (...) {
        luaL_unref(L, LUA_REGISTRYINDEX, callback.function);
        throw;
    }
    return 1;
}

int remove(lua_State* L, Script& s, const Arguments& args) {
    const auto id = static_cast<int>(args.integer(1, "id", 1, INT32_MAX));
    int function = LUA_NOREF;
    for (const Callback& callback : s.callbacks())
        if (callback.id == id) function = callback.function;
    const bool removed = s.engine().remove(s, id);
    if (removed) luaL_unref(L, LUA_REGISTRYINDEX, function);
    lua_pushboolean(L, removed);
    return 1;
}

int log(lua_State* L, Script& s, const Arguments& args) {
    const int count = args.count();
    for (int i = 1; i <= count; ++i) {
        if (i > 1) lua_pushliteral(L, "\t");
        luaL_tolstring(L, i, nullptr);
    }
    lua_concat(L, count > 0 ? 2 * count - 1 : 0);
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    s.engine().log(std::string(text, length));
    return 0;
}

constexpr ApiFunction kControlFunctions[] = {
    {"emu", "frame", frame},         {"emu", "cycles", cycles},       {"emu", "pause", pause},
    {"emu", "resume", resume},       {"emu", "reset", reset},         {"emu", "exit", exit},
    {"emu", "saveState", saveState}, {"emu", "loadState", loadState}, {"emu", "screenshot", screenshot},
    {"input", "set", inputSet},      {"input", "clear", inputClear},  {"input", "get", inputGet},
    {"callbacks", "add", add},       {"callbacks", "remove", remove}, {"console", "log", log},
};

}  // namespace

std::span<const ApiFunction> controlFunctions() { return kControlFunctions; }

}  // namespace scripting
