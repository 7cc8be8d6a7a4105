#include "fake_machine.h"

#include <pthread.h>

#include <chrono>
#include <cstring>
#include <thread>

bool FakeMachine::startUp(const std::string& directory, const RomSetSource&) {
    ++startUps;
    startUpDirectory = directory;
    fReady = startUpSucceeds.load();
    return fReady;
}

const uint16_t* FakeMachine::render(bool debug, bool paused, int) {
    ++fFramesInProgress;
    struct FrameEnd {
        std::atomic<int>& inProgress;
        ~FrameEnd() { --inProgress; }  // also when the thread is killed in the monitor
    } frameEnd{fFramesInProgress};
    const int frame = ++renders;
    if (debug) {
        ++renderedWhileDebug;
        ++monitorEntries;
        struct Waiting {
            std::atomic<bool>& flag;
            ~Waiting() { flag = false; }  // also when the thread is killed here
        } waiting{inMonitor};
        while (monitorWaits) {
            inMonitor = true;
            if (stopCheck) stopCheck();
            if (leaveCheck && leaveCheck()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (paused) {
        ++renderedWhilePaused;
        return fPicture;
    }
    ++counter;
    for (auto& pixel : fPicture) pixel = static_cast<uint16_t>(frame & 0x7FFF);
    return fPicture;
}

void FakeMachine::capture(BoardState& state) const {
    char thread[16] = "";
    pthread_getname_np(pthread_self(), thread, sizeof thread);
    if (std::strcmp(thread, "cpuThread") != 0) ++captures;
    if (fFramesInProgress) ++touchedDuringFrame;
    state = BoardState{};
    state.dreg[0] = counter;
    state.speed = fSpeed;
}

void FakeMachine::restore(const BoardState& state) {
    ++restores;
    if (fFramesInProgress) ++touchedDuringFrame;
    counter = state.dreg[0];
    fSpeed = state.speed;
}
