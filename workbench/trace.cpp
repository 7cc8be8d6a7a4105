// The workbench's trace: every instruction the 68000 runs, with the
// registers after it, into a file, for a number of instructions or frames or
// until a breakpoint; at most kTraceLimit lines.
#include <cerrno>
#include <cstring>

#include "controller.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace workbench {

namespace {
constexpr uint64_t kTraceLimit = 1000000;  // lines: about 120 MB
constexpr uint64_t kFramesLimit = 600;
}  // namespace

void Controller::startTrace(const Command& c, std::string& message) {
    if (fTrace.file) {
        message = "A trace is already being written to " + fTrace.path;
        return;
    }
    const uint64_t limit = c.index == 1 ? kFramesLimit : kTraceLimit;
    if (c.value == 0 || c.value > limit) {
        message = "Trace not started: the count must be 1 to " + std::to_string(limit) +
                  (c.index == 1 ? " frames" : " instructions");
        return;
    }
    std::FILE* file = c.path.empty() ? nullptr : std::fopen(c.path.c_str(), "w");
    if (!file) {
        message = "Trace not started: " + (c.path.empty() ? std::string("no file named") :
                                           c.path + " cannot be written (" + std::strerror(errno) + ")");
        return;
    }
    fTrace = TraceRun{file, c.path, c.index == 1 ? kTraceLimit : c.value, c.index == 1 ? c.value : 0, 0};
    fStopped = false;
    fGoal.reset();
    fLeaveBreakpoint = true;
    message = "Tracing to " + c.path;
}

void Controller::endTrace(const char* why) {
    if (!fTrace.file) return;
    const bool written = std::fclose(fTrace.file) == 0;
    fTrace.file = nullptr;
    std::printf("Trace: %llu instructions written to %s (%s)%s\n", static_cast<unsigned long long>(fTrace.written),
                fTrace.path.c_str(), why, written ? "" : "; the file could not be finished");
    std::fflush(stdout);
    say("Trace written to " + fTrace.path);
}

uint32_t Controller::traceSlice(int32_t cycles) {
    s68000context& c = _s68000context;
    int32_t used = 0;
    while (used < cycles && fTrace.file) {
        const ListingLine line = disassembleAt(c.pc);
        if (fLeaveBreakpoint) s68000stepOverBreakpoint(c.pc);
        fLeaveBreakpoint = false;
        s68000takeBreakpointStop();
        const uint32_t before = s68000readOdometer();
        execOne();
        used += static_cast<int32_t>(s68000readOdometer() - before);
        if (s68000takeBreakpointStop()) {
            endTrace("a breakpoint");
            stopHere("Breakpoint");
            return S68000_EXIT_OK;
        }
        std::fprintf(fTrace.file, "%06X  %-34s", line.address, line.text.c_str());
        for (int r = 0; r < 8; ++r) std::fprintf(fTrace.file, " D%d=%08X", r, c.dreg[r]);
        for (int r = 0; r < 8; ++r) std::fprintf(fTrace.file, " A%d=%08X", r, c.areg[r]);
        std::fprintf(fTrace.file, " SR=%04X\n", c.sr);
        ++fTrace.written;
        if (--fTrace.instructionsLeft == 0)
            endTrace(fTrace.framesLeft ? "the size limit" : "the count");
    }
    return S68000_EXIT_OK;
}

}  // namespace workbench
