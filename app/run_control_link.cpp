#include "run_control_link.h"

namespace {

RunControl control;

void frameBoundary() { control.frameBoundary(); }
uint32_t runSlice(int32_t cycles) { return control.runSlice(cycles); }

void install(Machine& machine) {
    if (control.empty()) machine.setDebugger(nullptr, nullptr);
    else machine.setDebugger(frameBoundary, runSlice);
}

}  // namespace

void attachRunClient(Machine& machine, RunClient& client) {
    control.attach(client);
    install(machine);
}

void detachRunClient(Machine& machine, RunClient& client) {
    control.detach(client);
    install(machine);
}
