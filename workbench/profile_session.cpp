#include "profile_session.h"

#include <cstdio>
#include <vector>

#include "s68000.h"

namespace workbench {

ProfileSession::ProfileSession(Machine& machine, std::shared_ptr<const Symbols> symbols)
    : fMachine(machine), fSymbols(std::move(symbols)) {}

ProfileSession::~ProfileSession() { stop(); }

void ProfileSession::frameBoundary() {
    const uint32_t pc = _s68000context.pc & 0xFFFFFF;
    const uint32_t function = fSymbols ? fSymbols->below(pc).value_or(pc) : pc;
    if (fProfiler.running()) {
        fProfiler.frame(function, fMachine.cycles());
        return;
    }
    if (!fStartRequested) return;
    fStartRequested = false;
    fStartCycles = fMachine.cycles();
    fProfiler.start(function, fStartCycles);
    fProfiler.frame(function, fStartCycles);
    listenToFlow(*this);
}

void ProfileSession::stop() {
    if (!fProfiler.running()) return;
    fStopCycles = fMachine.cycles();
    fProfiler.stop(fStopCycles);
    stopListeningToFlow(*this);
}

void ProfileSession::restart() {
    if (!fProfiler.running()) return;
    fStartCycles = fMachine.cycles();
    fProfiler.restart(fStartCycles);
}

NamedProfile ProfileSession::named() const {
    NamedProfile named{profile(), {}, running()};  // the owner says whether its range runs
    for (const auto& [function, cost] : named.profile.functions) named.names.emplace(function, name(function));
    return named;
}

std::string ProfileSession::name(uint32_t function) const {
    if (fSymbols) {
        if (const std::string* exact = fSymbols->nameAt(function)) return *exact;
        const std::string near = fSymbols->describe(function);
        if (!near.empty()) return near;
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", function);
    return text;
}

}  // namespace workbench
