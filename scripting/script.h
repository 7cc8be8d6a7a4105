// One script: its own Lua state, with the API's tables, and the callbacks it
// added. Emulation thread only. A script that fails (an error, a callback
// past the time limit) is stopped: it runs nothing more, and the engine
// drops it at the end of the frame boundary.
#pragma once

#include <chrono>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

struct lua_State;
struct lua_Debug;

namespace scripting {

class Engine;

enum class CallbackKind { Frame, Exec, Read, Write, Reset };

struct Callback {
    int id = 0;
    CallbackKind kind = CallbackKind::Frame;
    uint32_t address = 0, length = 1;  // exec, read and write
    int function = 0;                  // the function's reference in the state's registry
};

class Script {
public:
    // A state with Lua's standard libraries and the API; `name` is the
    // file's path, or "prompt".
    // A script that `stopsOnError` (not the prompt) is stopped by its first
    // error.
    Script(Engine& engine, std::string name, bool stopsOnError = true);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // Runs a chunk (a file's text, or a prompt line), named as Lua names its
    // source in messages ("@file" or "=prompt"). On success, `results` holds
    // what it returned, as tostring gives them, tab-separated.
    bool runChunk(const std::string& code, const std::string& chunkName, std::string* results = nullptr);
    // Whether `code` compiles as a chunk.
    bool compiles(const std::string& code);
    // Calls a callback with `address` as its argument (exec, read, write).
    void call(const Callback& callback, uint32_t address = 0);

    const std::string& name() const { return fName; }
    bool stopped() const { return fStopped; }
    // Stops the script: its callbacks are removed, it runs nothing more.
    void stop();
    std::vector<Callback>& callbacks() { return fCallbacks; }
    Engine& engine() { return fEngine; }
    lua_State* state() { return fState; }

    // The script whose state `L` is.
    static Script& of(lua_State* L);

private:
    // Calls the function under the arguments on the stack in protected
    // mode, with a traceback and the time limit; false after a failure.
    // `callback` is the callback called, or null for a chunk.
    bool protectedCall(int arguments, int results, const Callback* callback);
    // What runs now, for the time limit's message.
    std::string running() const;
    static void timeLimitHook(lua_State* L, lua_Debug* debug);

    Engine& fEngine;
    std::string fName;
    lua_State* fState = nullptr;
    std::vector<Callback> fCallbacks;
    bool fStopsOnError;
    bool fStopped = false;
    // The time limit's end, set when the count hook first comes (none yet:
    // a call too short to meet the hook reads no clock).
    std::optional<std::chrono::steady_clock::time_point> fDeadline;
    const Callback* fRunning = nullptr;  // the callback running, or null for a chunk
};

// Installs the API's tables (emu, input, callbacks, console) in a script's
// state (api.cpp).
void installApi(lua_State* L);

}  // namespace scripting
