#include "workbench_link.h"

#include <cstdio>

#include "profile_link.h"
#include "run_control_link.h"
#include "symbol_file.h"

void attachWorkbench(Machine& machine, workbench::Controller& controller) { attachRunClient(machine, controller); }

void loadWorkbenchSymbols(workbench::Controller& controller, const std::string& path) {
    if (path.empty()) return;
    std::string error;
    auto symbols = readSymbolFile(path, error);
    if (!symbols) {
        std::printf("--symbols: %s; the workbench shows no names.\n", error.c_str());
        return;
    }
    std::printf("--symbols: %zu names from %s\n", symbols->size(), path.c_str());
    controller.setSymbols(std::move(symbols), readSourceLines(path));
}
