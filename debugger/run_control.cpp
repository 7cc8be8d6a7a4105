#include "run_control.h"

#include <algorithm>


void (*debugger_target_changed)() = nullptr;

namespace {

// One part of a slice, with the watchpoints armed when a client takes the
// stops, and the lists armed for the access hook while one is set. A
// watched access nobody takes only ends the part: the slice goes on.
uint32_t runPart(int32_t cycles, bool watch, RunStop& stop) {
    const bool arm = watch || s68000accessHook();
    s68000takeBreakpointStop();
    if (arm) s68000armWatchpoints();
    const uint32_t code = s68000exec(cycles);
    if (arm) s68000disarmWatchpoints();
    stop.breakpoint = s68000takeBreakpointStop() && s68000exitIsAddress(code);
    if (stop.breakpoint) stop.address = code;
    uint32_t address;
    int kinds;
    const bool watched = arm && s68000takeWatchHit(&address, &kinds);
    if (watched && watch) stop.address = address, stop.kinds = kinds, stop.watched = true;
    return code;
}

}  // namespace

void RunControl::attach(RunClient& client) {
    if (std::find(fClients.begin(), fClients.end(), &client) == fClients.end()) fClients.push_back(&client);
}

void RunControl::detach(RunClient& client) { std::erase(fClients, &client); }

void RunControl::frameBoundary() {
    for (RunClient* client : fClients) client->frameBoundary();
}

uint32_t RunControl::runSlice(int32_t cycles) { return runSlice(fClients, cycles); }

uint32_t RunControl::runSlice(std::span<RunClient* const> clients, int32_t cycles) {
    for (RunClient* client : clients)
        if (client->ownsSlice()) return client->runOwnSlice(cycles);
    for (RunClient* client : clients) client->sliceStarts();
    // The slice's length counts from its start, whatever stopped in it: it
    // ends where one uninterrupted run would have ended it.
    const uint32_t start = s68000readOdometer();
    const auto left = [&] { return cycles - static_cast<int32_t>(s68000readOdometer() - start); };
    const auto first = [&](auto wants) -> RunClient* {
        for (RunClient* client : clients)
            if ((client->*wants)()) return client;
        return nullptr;
    };
    uint32_t code = S68000_EXIT_OK;
    for (bool ran = false;; ran = true) {
        for (RunClient* client : clients) client->hold();
        if (ran && left() <= 0) return code;
        if (RunClient* stepper = first(&RunClient::stepping)) {
            // Taken by the slice under way, so that the slices keep their
            // lengths and interrupts come as they came. A stopped processor
            // idles through the slice; the step goes on in the next one,
            // after its interrupt was offered.
            S68000StepHit hit;
            const S68000Step step = s68000step(hit);
            if (step == S68000Step::Idle) return s68000exec(left());
            stepper->stepEnded(hit, step == S68000Step::Stuck);
            if (step == S68000Step::Stuck) return S68000_EXIT_NO_REGION;  // as one run would end it
            continue;
        }
        RunStop stop;
        code = runPart(left(), first(&RunClient::takesStops) != nullptr, stop);
        if (stop.breakpoint || stop.watched) {
            RunClient* taker = nullptr;
            for (RunClient* client : clients)
                if (!taker && client->takesStops() && client->claims(stop)) taker = client;
            if (!taker) {
                if (stop.breakpoint) s68000stepOverBreakpoint(_s68000context.pc);  // nobody stops: it runs
            } else if (!taker->stopped(stop, code)) return code;
            continue;
        }
        if (code != S68000_EXIT_OK || left() <= 0) {
            for (RunClient* client : clients) client->sliceEnded();
            return code;
        }
    }
}
