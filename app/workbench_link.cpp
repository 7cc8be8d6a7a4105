#include "workbench_link.h"

#include <cstdio>

#include "gdb_stub.h"
#include "symbol_file.h"

namespace {

workbench::Controller* linked = nullptr;

void frameBoundary() { linked->frameBoundary(); }
uint32_t runSlice(int32_t cycles) { return linked->runSlice(cycles); }

}  // namespace

void attachWorkbench(Machine& machine, workbench::Controller& controller, bool gdbLinked) {
    linked = &controller;
    if (gdbLinked) controller.setInner(gdb_stub_frame_boundary, gdb_stub_run_slice, gdb_stub_client_attached);
    machine.setDebugger(frameBoundary, runSlice);
}

void loadWorkbenchSymbols(workbench::Controller& controller, const std::string& path) {
    if (path.empty()) return;
    std::string error;
    auto symbols = readSymbolFile(path, error);
    if (!symbols) {
        std::printf("--symbols: %s; the workbench shows no names.\n", error.c_str());
        return;
    }
    std::printf("--symbols: %zu names from %s\n", symbols->size(), path.c_str());
    controller.setSymbols(std::move(symbols));
}
