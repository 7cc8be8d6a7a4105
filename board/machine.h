// The board as its hosts drive it: the desktop program, the libretro core,
// the benchmarks and the end-to-end tests. A host reaches the board only
// through this interface, never through the board's globals, and the desktop
// shell's tests put a fake in its place.
//
// The board's state is process-wide, so a process has one real machine
// (boardMachine()). Calls are made between frames by the thread that runs the
// frames, or while no thread runs them; setSpeed alone may come from another
// thread at any time, and takes effect at the next slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "console.h"
#include "key_codes.h"
#include "rom_set_content.h"
#include "save_state.h"
#include "speed.h"

// The picture: kScreenWidth x kScreenHeight pixels, row-major with no gap
// between lines, each a 15-bit RGB value in host order (red in bits 14-10,
// green 9-5, blue 4-0; bit 15 is not part of the colour).
constexpr int kScreenWidth = 256;
constexpr int kScreenHeight = 224;

// Start-up's directory: at most kDirectoryCapacity - 1 characters.
constexpr size_t kDirectoryCapacity = 1024;

// Where start-up takes the ROM set's six files from.
struct RomSetSource {
    // A set read beforehand (rom_set_content.h); null: the files of Roms/ in
    // the directory start-up is given.
    const RomSetFiles* files = nullptr;
    // Why the set the user gave could not be read: start-up loads nothing and
    // reports this as the reason. Empty when there is none.
    std::string unreadable;
};

// How runFrame runs its frame.
struct FrameRun {
    // Whether the picture is drawn; a run that needs only the machine's state
    // (a benchmark of the CPU, a replay) leaves it as it was.
    bool draw = true;
    // When given, the 68000 runs one instruction at a time and each is
    // counted here: slow, for measurements.
    uint64_t* instructions = nullptr;
    // A frame run again (the history going back): the debugger's hooks
    // (setDebugger) are not called, so it neither stops nor serves in it.
    bool replay = false;
    // When given, with `replay`: the debugger's breakpoints reached and
    // watched accesses made in the frame are counted here (it runs on
    // through them, as it ran).
    uint32_t* hits = nullptr;
};

// What a frame read: the keys held and the speed it ran at (which the
// history and movies record to run it again).
struct FrameInput {
    KeyStates keys;
    Speed speed = Speed::Fps60;
};

// Where a frame run an instruction at a time stopped: in which of its slices
// (kFrameSlices: none, the frame ran whole), and the cycle count when that
// slice began.
constexpr int kFrameSlices = 3;
struct FramePoint {
    int slice = kFrameSlices;
    uint32_t sliceStart = 0;
};

// The board's memories, as the board keeps them.
enum class Memory {
    ProgramRom,  // 256 KiB at 0x000000, each 68000 word a host-order 16-bit value
    WorkRam,     // 16 KiB at 0x100000, the same
    SpriteRam,   // 7680 bytes at 0x700000, the same
    Graphics,    // 1 MiB, one byte per pixel: 4096 tiles of 16 x 16
};

class Machine {
public:
    virtual ~Machine() = default;

    // ---- Start-up, power and reset ----

    // Start-up: the banner naming `directory` (with its final '/'), the ROM
    // set from `source`, work RAM and sprite RAM, the 68000 and its address
    // map, then a reset, each step reported on the console. True when the
    // board is ready to run.
    virtual bool startUp(const std::string& directory, const RomSetSource& source = {}) = 0;
    // Whether the last start-up loaded the ROM set and made the memories.
    virtual bool ready() const = 0;
    // Why the last start-up loaded no ROM set (one line, no newline); empty
    // when it loaded one or none was tried.
    virtual std::string startUpFailure() const = 0;
    // The machine as after switching the power on: work RAM, sprite RAM,
    // palette, ports, interrupt chain, frame buffer and cycle count cleared,
    // 60 frames a second. A reset follows as usual.
    virtual void powerOn() = 0;
    // The board's reset: the 68000 from its reset vector, every drawing colour
    // white, the service switch read; memories kept. Reported on the console.
    virtual void reset() = 0;
    // Releases the ROM images and memories and forgets the host's console, so
    // that nothing of the board stays (a core about to be unloaded). Only a
    // start-up makes the board runnable again.
    virtual void shutDown() = 0;

    // ---- Frames ----

    // Where the desktop program's frames read the held keys (its keyboard).
    virtual void setKeySource(KeySource source) = 0;
    // One frame as the desktop program runs it: the keys from the key
    // source, the console monitor first when `debug`, and when `paused`
    // neither the 68000 nor the drawing. `fps` is not used. The picture.
    virtual const uint16_t* render(bool debug, bool paused, int fps) = 0;
    // One frame with `keys` held, as a host that has its own controls runs
    // it (no monitor, never paused). The picture.
    virtual const uint16_t* runFrame(const KeyStates& keys, const FrameRun& run = {}) = 0;
    // A frame run again an instruction at a time (no picture, no debugger
    // hooks): `visit` is called before every instruction, after the slice's
    // interrupt was offered; it runs the instruction itself (the core's
    // s68000exec(1), or a debugger's step) and returns true, or returns
    // false to leave the frame under way there. Where it stopped.
    virtual FramePoint runFrameStepping(const KeyStates& keys, const std::function<bool()>& visit) = 0;
    // The rest of a frame that runFrameStepping left under way, as render
    // runs frames (the debugger's hooks called), and its picture.
    virtual const uint16_t* finishFrame(const FramePoint& point) = 0;
    // The keys the last frame read (from the key source or runFrame's).
    virtual KeyStates lastFrameKeys() const = 0;
    // The picture as the last frame left it.
    virtual const uint16_t* picture() const = 0;
    // Draws the picture afresh from sprite RAM and the palette (after a host
    // changed them between frames). The picture.
    virtual const uint16_t* drawPicture() = 0;
    // The 68000 cycles run since power-on (the core's 32-bit count).
    virtual uint32_t cycles() const = 0;

    // ---- Switches ----

    // Service mode, which the next reset presents to the program.
    virtual void setServiceMode(bool on) = 0;
    virtual bool serviceMode() const = 0;
    // The 68000 cycles of a frame follow the speed (speed.h); the host paces
    // the frames itself.
    virtual void setSpeed(Speed speed) = 0;
    virtual Speed speed() const = 0;

    // ---- State and memory ----

    // The loaded ROM set's identity, which save states carry; 0 without one.
    virtual uint64_t romSetHash() const = 0;
    // The machine as it stands, with its speed.
    virtual void capture(BoardState& state) const = 0;
    // Puts the machine in a captured state, speed included, and draws the
    // picture from it.
    virtual void restore(const BoardState& state) = 0;
    // The word at an even 68000 address of ROM, work RAM or sprite RAM, read
    // without side effects; none for any other address (ports, palette,
    // nothing mapped), since reading those would act.
    virtual std::optional<uint16_t> peekWord(uint32_t address) const = 0;
    // A memory of the board; empty before start-up. A host may change RAM
    // (a frontend's cheats) or the program ROM's parameters between frames.
    virtual std::span<unsigned char> memory(Memory which) = 0;

    // ---- Hooks ----

    // Where the console report goes (console.h); null: standard output.
    virtual void setConsole(ConsoleSink sink) = 0;
    // The console monitor's checks while it waits for input or runs long:
    // `stop` unwinds a thread that is being stopped, `leave` says when to
    // return to the game. Null: none.
    virtual void setMonitorChecks(void (*stop)(), bool (*leave)()) = 0;
    // A debugger that controls the CPU: `frameStart` runs at the start of
    // every frame, `slice` runs each slice in place of the core. Null: none.
    virtual void setDebugger(void (*frameStart)(), uint32_t (*slice)(int32_t cycles)) = 0;

    // The 68000 long word at an even address (two peekWord).
    std::optional<uint32_t> peekLong(uint32_t address) const {
        const auto high = peekWord(address), low = peekWord(address + 2);
        if (!high || !low) return std::nullopt;
        return uint32_t{*high} << 16 | *low;
    }
};

// The process's board.
Machine& boardMachine();
