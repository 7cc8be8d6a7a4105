// What the workbench's Script panel drives: the script engine (scripting/),
// from the window's threads. Requests are queued for the emulation thread's
// next frame boundary; the output is read as it grows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace workbench {

class ScriptConsole {
public:
    virtual ~ScriptConsole() = default;
    virtual void runFile(const std::string& path) = 0;
    virtual void stopScripts() = 0;
    // A line of Lua; what it returns, or its error, goes to the output.
    virtual void evaluate(const std::string& line) = 0;
    // The output lines from number `first` on; `total` gets the count so far.
    virtual std::vector<std::string> output(size_t first, size_t& total) const = 0;
    // Whether a script runs, or waits to.
    virtual bool running() const = 0;
};

}  // namespace workbench
