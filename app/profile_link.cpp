#include "profile_link.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "atomic_file.h"
#include "callgrind.h"
#include "profile_session.h"
#include "run_control_link.h"
#include "symbol_file.h"

namespace {

struct ProfileRun {
    std::string path;
    std::unique_ptr<workbench::ProfileSession> session;
    std::shared_ptr<const workbench::LineTable> lines;
    Machine* machine = nullptr;
};
ProfileRun gRun;

}  // namespace

std::shared_ptr<const workbench::LineTable> readSourceLines(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    auto lines = std::make_shared<workbench::LineTable>();
    if (readWholeFile(path, workbench::Symbols::kLargestFile, bytes, error) != ReadStatus::Read ||
        !lines->read(bytes, error))
        return nullptr;
    return lines;
}

void startProfile(Machine& machine, const std::string& path, const std::string& symbols) {
    if (path.empty()) return;
    std::shared_ptr<const workbench::Symbols> names;
    if (!symbols.empty()) {
        std::string error;
        names = readSymbolFile(symbols, error);  // its failure is reported once, by the workbench's reading
        if (names) gRun.lines = readSourceLines(symbols);
    }
    gRun.path = path;
    gRun.machine = &machine;
    gRun.session = std::make_unique<workbench::ProfileSession>(machine, std::move(names));
    gRun.session->requestStart();
    attachRunClient(machine, *gRun.session);
}

bool finishProfile(const char* program) {
    if (!gRun.session) return true;
    workbench::ProfileSession& session = *gRun.session;
    session.stop();
    detachRunClient(*gRun.machine, session);
    const workbench::Profile profile = session.profile();
    const std::string text = workbench::callgrindText(
        profile, [&](uint32_t function) { return session.name(function); },
        gRun.lines.get(), program);
    std::string error;
    const bool written = writeFileAtomically(gRun.path, text.data(), text.size(), error, 0644);
    if (!written)
        std::fprintf(stderr, "%s: --profile: %s not written: %s\n", program, gRun.path.c_str(), error.c_str());
    else
        std::printf("--profile: %llu cycles over %u frames (the cycle counter from %u to %u) written to %s\n",
                    static_cast<unsigned long long>(profile.cycles), profile.frames, session.startCycles(),
                    session.stopCycles(), gRun.path.c_str());
    gRun.session.reset();
    return written;
}
