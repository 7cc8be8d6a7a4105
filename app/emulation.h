// The emulation thread's shared state, its pacing and the frame-rate figures.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <memory>

#include "history.h"
#include "machine.h"
#include "movie.h"
#include "movie_file.h"

// Read by the running loop (written by the emulation thread only).
extern uint32_t snoozeTime;
// One writer (the window's thread) and one reader (the emulation thread),
// read once a frame; no ordering with other data is needed.
extern std::atomic<uint32_t> newSnoozeTime;
extern std::atomic<uint8_t> debugOn;
// Whether debugOn is clear: the monitor's leave check.
bool debugSwitchedOff();
extern std::atomic<uint8_t> wpaused;

// Of the last emulation thread that ran.
extern int64_t cpuTimeStart;
extern uint32_t cpuTotalFrames;
extern int64_t cpuTimeEnd;

// The speed chosen by the Speed commands, the settings or a loaded state,
// kept in one place: choosing it sets the period asked for (newSnoozeTime);
// the running loop adopts that period at the end of a frame
// (adoptFramePeriod, the one writer of snoozeTime). Window thread, or while
// no emulation thread runs.
void chooseSpeed(Speed speed);
Speed currentSpeed();
// The emulation thread, at the end of a frame.
void adoptFramePeriod();

// What the window and its emulation threads share besides the flags above:
// the board they run, and how the frames go on. The window owns it; each
// emulation thread reads it through the window.
struct EmulationControl {
    explicit EmulationControl(Machine& board) : machine(board) {}

    // Asks for a speed as the Speed commands do: the CPU cycles of a frame at
    // once, the period from the end of the frame under way.
    void applySpeed(Speed speed);
    // The board back at the chosen speed, after it ran frames at a speed of
    // their own (a movie, the history, a reverse search) or was powered on.
    void resumeChosenSpeed() { machine.setSpeed(currentSpeed()); }

    Machine& machine;
    // The recent past of the game (history.h), for rewinding: touched by the
    // emulation thread, or by the window while none runs. A cleared history
    // begins afresh at the next frame when keepHistory is set.
    History history;
    bool keepHistory = true;
    // Set by the emulation thread while a frame of the board runs: a thread
    // killed with it set (in the monitor or waiting for gdb) left the machine
    // between two frame boundaries, where no history can go on.
    std::atomic<bool> frameUnderWay{false};
    // While set (the rewind key held), each frame goes one frame back instead
    // of forward, until the start of the history.
    std::atomic<bool> rewinding{false};
    // Frames to run while paused, one a frame (the frame advance key).
    std::atomic<uint32_t> framesToAdvance{0};
    // A movie being recorded or played: the mode is set by the window while
    // no emulation thread runs; a playback that ends sets it back to None.
    enum class MovieMode : uint8_t { None, Recording, Playing };
    std::atomic<MovieMode> movieMode{MovieMode::None};
    // A recording is written to its file as it goes; it ends when a write
    // fails or the movie is full, setting the mode back to None.
    MovieRecorder recorder;
    MovieFile movieFile;
    std::unique_ptr<MoviePlayer> player;
    std::atomic<uint32_t> movieDesyncs{0};  // frames of the playing movies that differed
    std::atomic<bool> movieNotSaved{false};  // a recording's file that could not be written whole
    // Keeps `seconds` of play from now on (a new history), or none.
    void setHistory(bool on, int seconds);
    // While set (the Tab key held), frames follow one another without
    // pacing, whatever the speed; the speed itself is not changed.
    std::atomic<bool> turbo{false};
    // Automation: after this many presented frames (0: never) the emulation
    // posts a quit to the window, as the Quit command does, and presents no
    // more.
    std::atomic<uint32_t> frameLimit{0};
    // Frames presented since the window was built, by every emulation thread.
    std::atomic<uint32_t> framesPresented{0};
    // Set by the window when a run begins (a boot or reset): the next
    // emulation thread to begin starts the frame-rate counters afresh and
    // clears it. The threads that replace it (around a state save or load, a
    // movie's start or stop) carry its counters on; one killed before it
    // began leaves the flag to the thread that replaces it.
    std::atomic<bool> freshFrameCounts{true};
};

// gdb's reverse execution (app/reverse_execution.h, with the gdb link):
// thrown from inside a frame out to the emulation thread's frame loop,
// which then calls goBackHandler. Emulation thread only.
struct ReverseRequest {
    bool toLastHit;  // bc: back to the last breakpoint or watchpoint hit; bs: one instruction
};
// Goes back as asked, stops there for gdb and runs that frame to its end
// (kept in the history): its picture. Null without gdb.
extern const uint16_t* (*goBackHandler)(EmulationControl& control, ReverseRequest request);
// Whether the frame under way may go back: a history is kept, no movie runs.
extern bool reverseAllowed;
// A debugger changed registers or memory in the frame under way: the
// recorded past no longer leads here, so the history starts again at the
// next frame and going back is refused until then. Emulation thread only.
extern bool pastRewritten;
// Sets it: the window's debugger_target_changed (run_control.h).
void forgetPast();

// The emulation thread posts this to the window about once a second while it
// runs, with the frames a second it presented since the last one under
// "fps" (an int32, rounded).
constexpr uint32_t kMsgFrameRate = 0x66707321;  // 'fps!'
// The emulation thread posts this when a movie's playback or recording has
// ended.
constexpr uint32_t kMsgMovieEnded = 0x6D656E64;  // 'mend'
constexpr int64_t kFrameRatePeriod = 1000000;   // microseconds

// The average frame rate of `frames` frames presented in `elapsed`
// microseconds: 1000000.0 divided by the whole microseconds per frame
// (integer division). 0 without frames; infinite under 1 us a frame.
double averageFps(int64_t elapsed, uint32_t frames);
// The frame-rate figure handed to the frame driver: averageFps truncated
// toward zero, at most INT32_MAX.
int32_t fpsFigure(int64_t elapsed, uint32_t frames);
// The line printed at quit ("Average fps : %f\n"), or "" when no frame was
// presented.
std::string fpsReport(int64_t elapsed, uint32_t frames);
