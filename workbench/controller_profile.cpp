// The workbench's profiler commands and what its snapshots show of the call
// stack and the profile.
#include <cstdio>

#include "callgrind.h"
#include "controller.h"

namespace workbench {

namespace {

std::shared_ptr<const NamedProfile> take(const ProfileSession& session, bool running) {
    auto named = std::make_shared<NamedProfile>(session.named());
    named->running = running;
    return named;
}

}  // namespace

void Controller::applyProfile(const Command& c, std::string& message) {
    if (!fSession || !fSession->running()) {
        message = "The profiler follows the 68000 from the next frame on: try again";
        return;
    }
    switch (c.kind) {
        case CommandKind::ProfileStart:
            fSession->restart();
            fProfiling = true;
            fProfile = take(*fSession, true);
            message = "Profiling";
            return;
        case CommandKind::ProfileStop:
            if (fProfiling) fProfile = take(*fSession, false);
            fProfiling = false;
            message = "Profile stopped";
            return;
        default: break;
    }
    if (fProfiling) fProfile = take(*fSession, true);
    if (!fProfile) {
        message = "No profile to save: Start one first";
        return;
    }
    const NamedProfile& named = *fProfile;
    const std::string text = callgrindText(
        named.profile, [&](uint32_t function) { return named.names.at(function); }, fLines.get(), "bevorel");
    std::FILE* file = std::fopen(c.path.c_str(), "w");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) file = nullptr;
    message = written && file ? "Profile saved to " + c.path : "The profile could not be written to " + c.path;
}

void Controller::publishProfile(Snapshot& snapshot) {
    if (!fSession) return;
    snapshot.callStack = fSession->stack().frames();
    for (const CallFrame& frame : snapshot.callStack) snapshot.callStackNames.push_back(fSession->name(frame.function));
    // The running profile is taken again a few times a second.
    if (fProfiling && fFrames % 15 == 0) fProfile = take(*fSession, true);
    snapshot.profile = fProfile;
}

}  // namespace workbench
