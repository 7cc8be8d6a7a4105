#include "engine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "arguments.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace scripting {

namespace {

// The output kept for the Script panel: the oldest half goes past this.
constexpr size_t kMostOutputLines = 4000;

int watchKinds(CallbackKind kind) { return kind == CallbackKind::Read ? S68000_WATCH_READ : S68000_WATCH_WRITE; }

bool watches(CallbackKind kind) {
    return kind == CallbackKind::Exec || kind == CallbackKind::Read || kind == CallbackKind::Write;
}

bool breakpointSet(uint32_t address) {
    uint32_t at = 0;
    for (int i = 0; s68000breakpointAt(i, &at) == 0; ++i)
        if (at == address) return true;
    return false;
}

bool watchpointSet(uint32_t address, uint32_t length, int kinds) {
    uint32_t at = 0, size = 0;
    int what = 0;
    for (int i = 0; s68000watchpointAt(i, &at, &size, &what) == 0; ++i)
        if (at == address && size == length && what == kinds) return true;
    return false;
}

}  // namespace

void* exitSentinel() {
    static char sentinel;
    return &sentinel;
}

Engine::Engine(Machine& machine, ScriptHost& host, EngineOptions options)
    : fMachine(machine), fHost(host), fOptions(options) {}

Engine::~Engine() {
    fPrompt.reset();
    fScripts.clear();
}

void Engine::runFile(const std::string& path) {
    std::lock_guard held(fLock);
    fRequests.push_back({Request::RunFile, path});
    fRunning.store(true, std::memory_order_relaxed);
}

void Engine::stopScripts() {
    std::lock_guard held(fLock);
    fRequests.push_back({Request::Stop, ""});
}

void Engine::evaluate(const std::string& line) {
    std::lock_guard held(fLock);
    fRequests.push_back({Request::Evaluate, line});
}

std::vector<std::string> Engine::output(size_t first, size_t& total) const {
    std::lock_guard held(fLock);
    total = fOutputBase + fOutput.size();
    if (first < fOutputBase) first = fOutputBase;
    if (first >= total) return {};
    return {fOutput.begin() + static_cast<long>(first - fOutputBase), fOutput.end()};
}

void Engine::setSymbols(std::shared_ptr<const workbench::Symbols> symbols) {
    std::lock_guard held(fLock);
    fSymbols = std::move(symbols);
}

const workbench::Symbols* Engine::symbols() {
    std::lock_guard held(fLock);
    return fSymbols.get();  // kept alive by the engine until it is replaced
}

void Engine::log(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    std::lock_guard held(fLock);
    fOutput.push_back(line);
    if (fOutput.size() > kMostOutputLines) {
        const size_t dropped = fOutput.size() / 2;
        fOutput.erase(fOutput.begin(), fOutput.begin() + static_cast<long>(dropped));
        fOutputBase += dropped;
    }
}

void Engine::failed(Script& script, const std::string& message) {
    log(message);
    if (&script == fPrompt.get()) return;  // the prompt goes on
    fHeld = KeyStates{};  // what the script held is let go
    log(script.name() + " stopped" + (fOptions.exitOnError ? "; the program ends with status 2." : "."));
    if (fOptions.exitOnError) exit(2);
}

void Engine::exit(int status) {
    if (fExited) return;
    fExited = true;
    fHost.exit(status);
}

void Engine::addHeldKeys(uint8_t keys[16]) const {
    for (int i = 0; i < 16; ++i) keys[i] |= fHeld.bytes[i];
}

void Engine::serve(const Request& request) {
    switch (request.kind) {
        case Request::RunFile: {
            auto script = std::make_unique<Script>(*this, request.text);
            std::error_code error;
            if (!std::filesystem::is_regular_file(request.text, error)) {
                failed(*script, request.text + ": cannot be read: " +
                                    (error ? error.message() : std::string("it is no regular file")));
                return;
            }
            errno = 0;
            std::ifstream file(request.text, std::ios::binary);
            std::stringstream text;
            if (file) text << file.rdbuf();
            if (!file || file.bad()) {
                failed(*script, request.text + ": cannot be read: " + std::strerror(errno ? errno : EIO));
                return;
            }
            Script& started = *fScripts.emplace_back(std::move(script));
            log("Script " + request.text + " started");
            started.runChunk(text.str(), "@" + request.text);
            break;
        }
        case Request::Stop:
            fHeld = KeyStates{};
            for (auto& script : fScripts)
                if (!script->stopped()) {
                    script->stop();
                    log(script->name() + " stopped");
                }
            break;
        case Request::Evaluate: {
            if (!fPrompt) fPrompt = std::make_unique<Script>(*this, "prompt", false);
            log("> " + request.text);
            // An expression's value is shown; else the line runs as a statement.
            std::string results;
            const std::string expression = "return " + request.text;
            if (fPrompt->runChunk(fPrompt->compiles(expression) ? expression : request.text, "=prompt", &results) &&
                !results.empty())
                log(results);
            break;
        }
    }
}

void Engine::frameBoundary() {
    if (fExited) return;
    std::vector<Request> requests;
    {
        std::lock_guard held(fLock);
        requests.swap(fRequests);
    }
    for (const Request& request : requests) serve(request);
    if (fResetPending.exchange(false, std::memory_order_relaxed)) dispatch(CallbackKind::Reset);
    if (!fHost.paused()) {
        ++fFrame;
        dispatch(CallbackKind::Frame);
    }
    dropStopped();
}

void Engine::dispatch(CallbackKind kind, uint32_t address) {
    for (size_t s = 0; s <= fScripts.size() && !fExited; ++s) {
        Script* script = s < fScripts.size() ? fScripts[s].get() : fPrompt.get();  // the prompt's last
        if (script) dispatch(*script, kind, address);
    }
}

void Engine::dispatch(Script& script, CallbackKind kind, uint32_t address) {
    // A callback may add or remove callbacks. The list is in the order of the
    // ids: the walk goes on after the id called, and leaves those added here.
    const int firstAdded = fNextId;
    std::vector<Callback>& callbacks = script.callbacks();
    for (size_t i = 0; i < callbacks.size() && callbacks[i].id < firstAdded; ++i) {
        const Callback callback = callbacks[i];
        if (callback.kind != kind ||
            (watches(kind) && (address < callback.address || address - callback.address >= callback.length)))
            continue;
        script.call(callback, address);
        if (fExited || script.stopped()) return;
        i = static_cast<size_t>(std::upper_bound(callbacks.begin(), callbacks.end(), callback.id,
                                                 [](int id, const Callback& c) { return id < c.id; }) -
                                callbacks.begin()) - 1;
    }
}

void Engine::dropStopped() {
    // A script is over once it stopped, or ran with no callback left.
    std::erase_if(fScripts, [](const auto& script) { return script->stopped() || script->callbacks().empty(); });
    fRunning.store(!fScripts.empty(), std::memory_order_relaxed);
}

int Engine::add(Script& script, Callback callback) {
    if (callback.kind == CallbackKind::Exec) {
        int& uses = fBreakpoints[callback.address];
        if (uses == 0) {
            const bool before = breakpointSet(callback.address);
            if (!before && s68000setBreakpoint(callback.address) != 0) {
                fBreakpoints.erase(callback.address);
                throw ArgumentError("callbacks.add: no breakpoint left for " + hexAddress(callback.address) +
                                    ": the core's table holds " + std::to_string(S68000_MAX_BREAKPOINTS));
            }
            fBreakpointsOwned[callback.address] = !before;
        }
        ++uses;
    } else if (watches(callback.kind)) {
        const Watch key{callback.address, callback.length, watchKinds(callback.kind)};
        int& uses = fWatchpoints[key];
        if (uses == 0) {
            const bool before = watchpointSet(callback.address, callback.length, watchKinds(callback.kind));
            if (!before && s68000setWatchpoint(callback.address, callback.length, watchKinds(callback.kind)) != 0) {
                fWatchpoints.erase(key);
                throw ArgumentError("callbacks.add: no watchpoint left for " + hexAddress(callback.address) +
                                    ": the core's table holds " + std::to_string(S68000_MAX_WATCHPOINTS));
            }
            fWatchpointsOwned[key] = !before;
        }
        ++uses;
    }
    if (watches(callback.kind)) ++fWatched;
    callback.id = fNextId++;
    script.callbacks().push_back(callback);
    return callback.id;
}

bool Engine::remove(Script& script, int id) {
    auto& callbacks = script.callbacks();
    for (auto it = callbacks.begin(); it != callbacks.end(); ++it)
        if (it->id == id) {
            const Callback callback = *it;
            callbacks.erase(it);
            unwatch(callback);
            return true;
        }
    return false;
}

void Engine::unwatch(const Callback& callback) {
    if (!watches(callback.kind)) return;
    --fWatched;
    if (callback.kind == CallbackKind::Exec) {
        if (--fBreakpoints[callback.address] > 0) return;
        fBreakpoints.erase(callback.address);
        if (fBreakpointsOwned[callback.address]) s68000clearBreakpoint(callback.address);
        fBreakpointsOwned.erase(callback.address);
        return;
    }
    const Watch key{callback.address, callback.length, watchKinds(callback.kind)};
    if (--fWatchpoints[key] > 0) return;
    fWatchpoints.erase(key);
    if (fWatchpointsOwned[key]) s68000clearWatchpoint(callback.address, callback.length, watchKinds(callback.kind));
    fWatchpointsOwned.erase(key);
}

bool Engine::claims(const RunStop& stop) {
    if (stop.breakpoint) return fBreakpoints.count(stop.address) != 0;
    if (!stop.watched) return false;
    for (const auto& [key, uses] : fWatchpoints) {
        const auto& [address, length, kinds] = key;
        if (kinds == stop.kinds && stop.address >= address && stop.address - address < length) return true;
    }
    return false;
}

bool Engine::stopped(const RunStop& stop, uint32_t /*code*/) {
    if (stop.breakpoint) {
        dispatch(CallbackKind::Exec, stop.address);
        // The instruction runs now, unless a callback moved the program elsewhere.
        if (_s68000context.pc == stop.address) s68000stepOverBreakpoint(stop.address);
    }
    if (stop.watched) dispatch(stop.kinds == S68000_WATCH_READ ? CallbackKind::Read : CallbackKind::Write, stop.address);
    dropStopped();
    return true;
}

}  // namespace scripting
