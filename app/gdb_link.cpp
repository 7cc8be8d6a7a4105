#include "gdb_link.h"

#include <cstdio>

#include "bevorel_app.h"
#include "gdb_stub.h"
#include "menus.h"
#include "reverse_execution.h"
#include "run_control_link.h"

namespace {

// The client's k: the board restarts from a reset, as Emulation > Reset does.
void resetBoard() {
    auto* app = static_cast<BeVorelApp*>(be_app);
    if (app && app->fMainWindow) app->fMainWindow->PostMessage(kCmdReset);
}

}  // namespace

bool startGdbLink(Machine& machine, int port, std::string& error) {
    const int listening = gdb_stub_start(static_cast<unsigned>(port), error);
    if (listening < 0) return false;
    std::printf("GDB server listening on 127.0.0.1:%d; the game waits for gdb at its first frame\n", listening);
    std::fflush(stdout);
    gdb_stub_wait_check = check_thread_killed;
    gdb_stub_kill_request = resetBoard;
    gdb_stub_reverse = requestReverse;
    goBackHandler = goBack;
    attachRunClient(machine, gdb_stub_run_client());
    return true;
}

void stopGdbLink(Machine& machine) {
    goBackHandler = nullptr;
    gdb_stub_reverse = nullptr;
    detachRunClient(machine, gdb_stub_run_client());
    gdb_stub_stop();
}
