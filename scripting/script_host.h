// What a script asks of the program around the machine: the things only the
// desktop shell can do (pause, quit, save states, pictures). The shell
// implements it; the engine calls it on the emulation thread, and each call
// returns at once: what needs the emulation thread stopped (a reset, a state
// loaded or saved) happens after the frame under way.
#pragma once

#include <string>

namespace scripting {

class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // Whether the game is paused now (frame callbacks do not run then).
    virtual bool paused() const = 0;
    virtual void setPaused(bool paused) = 0;
    // The program quits as File > Quit does, with this exit status.
    virtual void exit(int status) = 0;
    // The board's reset, as Emulation > Reset does.
    virtual void reset() = 0;
    // A state saved or loaded: in slot `slot` (0 to 7), or in the file
    // `path` when it is not empty. The outcome is reported as the menus'.
    virtual void state(bool save, int slot, const std::string& path) = 0;
    // The last frame's picture as a PNG file; false with a reason.
    virtual bool screenshot(const std::string& path, std::string& error) = 0;
};

}  // namespace scripting
