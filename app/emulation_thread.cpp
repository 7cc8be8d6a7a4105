// The emulation thread: one board frame at a time, presented and paced.
#include <cstdio>

#include "bevorel_window.h"
#include "emulation.h"
#include "presentation.h"

namespace {

// The frame to show next: one back while rewinding (the same at the start of
// the history), else the board's next frame, kept in the history when it ran.
// The next frame of the movie being played, in place of one with the keyboard:
// false when the movie has ended (the window is told).
bool playedFrame(EmulationControl& control, BWindow* window) {
    switch (control.player->runFrame(control.machine)) {
        case MovieStep::Ran:
            return true;
        case MovieStep::Desynced:
            control.movieDesyncs.fetch_add(1, std::memory_order_relaxed);
            std::printf("Movie desync at frame %u: the picture differs from the recording.\n",
                        control.player->framesPlayed());
            return true;
        case MovieStep::Ended:
            break;
    }
    std::printf("Movie played to its end (%u frames); the keyboard plays from here.\n", control.player->frames());
    control.movieMode.store(EmulationControl::MovieMode::None, std::memory_order_relaxed);
    control.resumeChosenSpeed();
    window->PostMessage(kMsgMovieEnded);
    return false;
}

// Keeps the frame in the movie being recorded and writes what the movie made
// to its file: the recording ends when the movie is full or a write fails
// (the window is told).
void recordedFrame(EmulationControl& control, BWindow* window, const FrameInput& input, const uint16_t* picture) {
    control.recorder.frameRan(input, picture);
    bool saved = true;
    if (control.recorder.full()) {
        std::printf("%s\nThe recording has stopped: a movie holds at most %u frames.\n",
                    finishRecording(control.movieFile, control.recorder, saved).c_str(), kMostMovieFrames);
    } else if (!control.movieFile.write(control.recorder)) {
        saved = false;
        std::printf("%s; the recording has stopped.\n", control.movieFile.notSaved().c_str());
    } else {
        return;
    }
    if (!saved) control.movieNotSaved.store(true, std::memory_order_relaxed);
    control.movieMode.store(EmulationControl::MovieMode::None, std::memory_order_relaxed);
    window->PostMessage(kMsgMovieEnded);
}

const uint16_t* nextFrame(EmulationControl& control, BWindow* window, int32_t fps) {
    Machine& machine = control.machine;
    History& history = control.history;
    const auto movie = control.movieMode.load(std::memory_order_relaxed);
    if (control.keepHistory && !history.started()) history.start(machine);
    if (control.rewinding.load(std::memory_order_relaxed) && history.started() &&
        movie == EmulationControl::MovieMode::None) {
        history.stepBack(machine);
        return machine.picture();
    }
    bool paused = wpaused.load(std::memory_order_relaxed) != 0;
    if (paused) {
        uint32_t wanted = control.framesToAdvance.load(std::memory_order_relaxed);
        while (wanted && !control.framesToAdvance.compare_exchange_weak(wanted, wanted - 1)) {}
        paused = wanted == 0;
    }
    control.frameUnderWay.store(true, std::memory_order_relaxed);
    reverseAllowed = goBackHandler && control.keepHistory && movie == EmulationControl::MovieMode::None;
    const uint16_t* frame = nullptr;
    bool played = false;
    try {
        played = !paused && movie == EmulationControl::MovieMode::Playing && playedFrame(control, window);
        frame = played ? machine.picture() : machine.render(debugOn.load(std::memory_order_relaxed) != 0, paused, fps);
    } catch (const ReverseRequest& request) {  // gdb went back, then ran that frame to its end
        frame = goBackHandler(control, request);
        paused = !pastRewritten;  // kept in the history already
    }
    control.frameUnderWay.store(false, std::memory_order_relaxed);
    if (paused) return frame;
    const FrameInput input{machine.lastFrameKeys(), machine.speed()};
    if (pastRewritten) history.clear();  // starts again at the next frame
    else if (control.keepHistory) history.frameRan(machine, input);
    pastRewritten = false;
    if (movie == EmulationControl::MovieMode::Recording) recordedFrame(control, window, input, frame);
    return frame;
}

}  // namespace

int32 BeVorelWindow::cpuThread(void* data) {
    BeVorelWindow* window = static_cast<BeVorelWindow*>(data);
    EmulationControl& control = window->fEmulation;
    if (control.freshFrameCounts.exchange(false, std::memory_order_relaxed)) {
        cpuTimeStart = system_time();
        cpuTotalFrames = 0;
    }
    int32_t fps = 0;
    bigtime_t rateStart = system_time();  // the frame rate the title shows, over about a second
    uint32_t rateFrames = 0;
    for (;;) {
        const bigtime_t frameStart = system_time();
        const bigtime_t period =
            control.turbo.load(std::memory_order_relaxed) ? 0 : static_cast<bigtime_t>(snoozeTime);
        const bigtime_t deadline = frameStart + period;
        const uint16_t* frame = nextFrame(control, window, fps);
        copyFrame(frame);
        window->Lock();
        mView->DrawBitmap(mOffscreen);
        window->Unlock();

        ++cpuTotalFrames;
        cpuTimeEnd = system_time();
        fps = fpsFigure(cpuTimeEnd - cpuTimeStart, cpuTotalFrames);
        ++rateFrames;
        if (cpuTimeEnd - rateStart >= kFrameRatePeriod) {
            BMessage rate(kMsgFrameRate);
            rate.AddInt32("fps", static_cast<int32>((rateFrames * 1000000.0) / (cpuTimeEnd - rateStart) + 0.5));
            window->PostMessage(&rate);
            rateStart = cpuTimeEnd;
            rateFrames = 0;
        }

        const uint32_t presented = control.framesPresented.fetch_add(1, std::memory_order_relaxed) + 1;
        const uint32_t limit = control.frameLimit.load(std::memory_order_relaxed);
        if (limit && presented >= limit) {
            window->PostMessage(B_QUIT_REQUESTED);
            for (;;) snooze(1000000);  // until the quit stops this thread
        }

        const bigtime_t remaining = deadline - system_time();
        if (remaining > 0) snooze(remaining);
        adoptFramePeriod();
    }
}
