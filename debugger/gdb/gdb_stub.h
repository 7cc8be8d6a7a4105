// A stub for gdb's remote serial protocol, so that gdb (gdb-multiarch with
// "set architecture m68k") can attach to the running board.
//
// A server thread listens on 127.0.0.1; the board is touched only on the
// emulation thread, which calls gdb_stub_frame_boundary() at the start of
// every frame and runs its CPU slices through gdb_stub_run_slice(). There the
// client's requests are served while the target is stopped: once started,
// the emulation waits at its first frame boundary for a client; a client that
// connects later stops it at the next boundary of a slice or frame. When the
// client detaches or goes away, its breakpoints and watchpoints go and the
// board runs on.
#pragma once

#include <cstdint>
#include <string>

#include "s68000_debug.h"

// Starts the server on 127.0.0.1:port (0: a free port the system picks).
// Returns the port, or -1 with the reason in `error`.
int gdb_stub_start(unsigned port, std::string& error);
// Stops the server and forgets the session. Only while no emulation thread
// runs.
void gdb_stub_stop();

// The emulation thread's side.
void gdb_stub_frame_boundary();
// Runs one slice as s68000exec does; stops inside it at breakpoints and
// watchpoints and serves the client there, then runs the rest of the slice.
uint32_t gdb_stub_run_slice(int32_t cycles);
// Whether a client is attached (the emulation thread's view): only then do
// the breakpoints stop the target for gdb.
bool gdb_stub_client_attached();
// The stub as a client of the shared run control (run_control.h), for a
// host that runs other debuggers beside it; gdb_stub_frame_boundary and
// gdb_stub_run_slice are the stub alone on it.
class RunClient;
RunClient& gdb_stub_run_client();

// Reverse execution, which the host does from its recorded past: called on
// the emulation thread for the client's bs (false) and bc (true). It leaves
// the stub's call (by throwing) and later, at the place it went back to,
// calls gdb_stub_stop_here; when it returns, the client is told that
// execution cannot go back. Null: bs and bc are refused.
extern void (*gdb_stub_reverse)(bool toLastHit);
// Stops the target where it stands with `reply` (a stop reply) and serves
// the client until it resumes. Emulation thread; nothing without a client.
void gdb_stub_stop_here(const std::string& reply);
// The stop reply for what a replayed instruction met (s68000step): a
// breakpoint at its address, or a watched access; "" for neither.
std::string gdb_stub_hit_reply(const S68000StepHit& hit);
// A client's change of registers or memory, or resume at another address,
// is reported through debugger_target_changed (run_control.h).
// The stop reply at the start of the recorded past.
constexpr const char* kGdbHistoryBegins = "T05replaylog:begin;";

// Called every few milliseconds while the emulation thread waits for the
// client; a host that must stop that thread leaves from here (it may unwind).
// Null: nothing is called.
extern void (*gdb_stub_wait_check)();
// Called on the emulation thread when the client kills the target (k), after
// the session has ended. Null: the board just runs on.
extern void (*gdb_stub_kill_request)();
