#include "script.h"

#include <lua.hpp>

#include <cstdio>

#include "engine.h"

namespace scripting {

namespace {

// The count hook looks at the clock every this many virtual machine
// instructions: often enough to stop within a millisecond, seldom enough to
// cost nothing that shows.
constexpr int kHookInstructions = 10000;

// The message handler of every protected call: the message and a traceback.
int addTraceback(lua_State* L) {
    if (lua_touserdata(L, 1) == exitSentinel()) return 1;  // emu.exit: no error
    const char* message = lua_tostring(L, 1);
    luaL_traceback(L, L, message ? message : luaL_tolstring(L, 1, nullptr), 1);
    return 1;
}

const char* kindName(CallbackKind kind) {
    switch (kind) {
        case CallbackKind::Frame: return "frame";
        case CallbackKind::Exec: return "exec";
        case CallbackKind::Read: return "read";
        case CallbackKind::Write: return "write";
        case CallbackKind::Reset: return "reset";
    }
    return "?";
}

}  // namespace

Script::Script(Engine& engine, std::string name, bool stopsOnError)
    : fEngine(engine), fName(std::move(name)), fStopsOnError(stopsOnError) {
    fState = luaL_newstate();
    *static_cast<Script**>(lua_getextraspace(fState)) = this;
    luaL_openlibs(fState);
    installApi(fState);
    lua_sethook(fState, timeLimitHook, LUA_MASKCOUNT, kHookInstructions);
}

Script::~Script() {
    stop();
    lua_close(fState);
}

Script& Script::of(lua_State* L) { return **static_cast<Script**>(lua_getextraspace(L)); }

void Script::timeLimitHook(lua_State* L, lua_Debug*) {
    Script& script = of(L);
    const auto now = std::chrono::steady_clock::now();
    if (!script.fDeadline) {
        // The limit counts from here: the instructions before the first hook
        // take microseconds.
        script.fDeadline = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                     std::chrono::duration<double>(script.fEngine.timeLimit()));
        return;
    }
    if (now < *script.fDeadline) return;
    char message[256];
    std::snprintf(message, sizeof message, "%s ran longer than %g s: stopped", script.running().c_str(),
                  script.fEngine.timeLimit());
    lua_pushstring(L, message);  // the message's string is freed before the error jumps
    luaL_where(L, 0);  // in a hook, level 0 is the function that was running
    lua_insert(L, -2);
    lua_concat(L, 2);
    lua_error(L);
}

std::string Script::running() const {
    if (!fRunning) return fName;
    return std::string("the ") + kindName(fRunning->kind) + " callback " + std::to_string(fRunning->id) + " of " +
           fName;
}

bool Script::protectedCall(int arguments, int results, const Callback* callback) {
    const int base = lua_gettop(fState) - arguments;  // the function's index
    lua_pushcfunction(fState, addTraceback);
    lua_insert(fState, base);
    fRunning = callback;
    fDeadline.reset();
    const int status = lua_pcall(fState, arguments, results, base);
    fRunning = nullptr;
    lua_remove(fState, base);
    if (status == LUA_OK) return true;
    const bool exited = lua_touserdata(fState, -1) == exitSentinel();
    if (!exited) {
        const char* message = lua_tostring(fState, -1);
        fEngine.failed(*this, message ? message : "an error that is no string");
    }
    lua_pop(fState, 1);
    if (fStopsOnError || exited) stop();
    return false;
}

bool Script::compiles(const std::string& code) {
    const bool ok = luaL_loadbuffer(fState, code.data(), code.size(), "=prompt") == LUA_OK;
    lua_pop(fState, 1);
    return ok;
}

bool Script::runChunk(const std::string& code, const std::string& chunkName, std::string* results) {
    if (fStopped) return false;
    const int top = lua_gettop(fState);
    if (luaL_loadbuffer(fState, code.data(), code.size(), chunkName.c_str()) != LUA_OK) {
        fEngine.failed(*this, lua_tostring(fState, -1));
        lua_settop(fState, top);
        if (fStopsOnError) stop();
        return false;
    }
    if (!protectedCall(0, LUA_MULTRET, nullptr))
        return false;
    if (results) {
        results->clear();
        for (int i = top + 1; i <= lua_gettop(fState); ++i) {
            if (i > top + 1) *results += '\t';
            *results += luaL_tolstring(fState, i, nullptr);
            lua_pop(fState, 1);
        }
    }
    lua_settop(fState, top);
    return true;
}

void Script::call(const Callback& callback, uint32_t address) {
    if (fStopped) return;
    lua_rawgeti(fState, LUA_REGISTRYINDEX, callback.function);
    int arguments = 0;
    if (callback.kind == CallbackKind::Exec || callback.kind == CallbackKind::Read ||
        callback.kind == CallbackKind::Write) {
        lua_pushinteger(fState, address);
        arguments = 1;
    }
    protectedCall(arguments, 0, &callback);
}

void Script::stop() {
    if (fStopped) return;
    fStopped = true;
    for (const Callback& callback : fCallbacks) fEngine.unwatch(callback);
    fCallbacks.clear();
}

}  // namespace scripting
