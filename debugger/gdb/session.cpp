// The emulation thread's side of the stub: the session with the client in
// control, stops and resumes, and the commands that need the board.
#include <chrono>
#include <memory>

#include "channel.h"
#include "gdb_stub.h"
#include "packets.h"
#include "run_control.h"
#include "s68000.h"
#include "s68000_debug.h"
#include "server.h"
#include "target_commands.h"

void (*gdb_stub_wait_check)() = nullptr;
void (*gdb_stub_kill_request)() = nullptr;
void (*gdb_stub_reverse)(bool) = nullptr;

namespace gdbstub {

namespace {

constexpr auto kWaitSlice = std::chrono::milliseconds(10);
constexpr const char* kTrapped = "S05";      // breakpoint, step, attach
constexpr const char* kInterrupted = "S02";  // the client's interrupt

std::unique_ptr<Channel> channel;
std::unique_ptr<Server> server;

// Emulation thread only (threads that follow one another).
struct Session {
    uint64_t client = 0;           // the client in control; 0: none
    bool stopped = false;          // the target waits for commands
    bool awaiting_client = false;  // from the start until the first client
    bool stepping = false;         // a step asked for: the next slice takes it
    std::string stop_reply = kTrapped;
    MonitorPlaces monitor;         // of the client's `monitor` commands
} session;

void end_session() {
    s68000clearBreakpoints();
    s68000clearWatchpoints();
    session.client = 0;
}

void stop(const std::string& reply) {
    session.stopped = true;
    session.stop_reply = reply;
    channel->reply(session.client, reply, Reply::Stop);
}

std::string watch_reply(uint32_t address, int kinds) {
    std::string reply = kinds == S68000_WATCH_WRITE  ? "T05watch:"
                        : kinds == S68000_WATCH_READ ? "T05rwatch:"
                                                     : "T05awatch:";
    append_hex32(reply, address);
    return reply + ";";
}

// The instruction at the PC runs even if it holds a breakpoint.
void leave_here(const Packet& c) {
    if (c.has_address) _s68000context.pc = c.address;
    s68000stepOverBreakpoint(_s68000context.pc);
}

bool changes_target(const Packet& c) {
    switch (c.kind) {
        case PacketKind::WriteRegisters:
        case PacketKind::WriteRegister:
        case PacketKind::WriteMemory: return true;
        case PacketKind::Continue:
        case PacketKind::Step: return c.has_address;
        default: return false;
    }
}

void command(const Packet& c) {
    if (changes_target(c)) debuggerTargetChanged();
    switch (c.kind) {
        case PacketKind::HaltReason: channel->reply(session.client, session.stop_reply); return;
        case PacketKind::Continue:
            leave_here(c);
            session.stopped = false;
            return;
        case PacketKind::Step:
            // Taken by the slice under way, or the next one, so that the
            // slices keep their lengths and interrupts come as they came.
            if (c.has_address) _s68000context.pc = c.address;
            session.stepping = true;
            session.stopped = false;
            return;
        case PacketKind::ReverseStep:
        case PacketKind::ReverseContinue:
            if (gdb_stub_reverse) gdb_stub_reverse(c.kind == PacketKind::ReverseContinue);  // throws when it goes
            // Refused: the target never left, and the server, which saw a
            // resume, must take packets again.
            channel->reply(session.client, "E01", Reply::Stop);
            return;
        case PacketKind::Detach: {
            const uint64_t client = session.client;
            end_session();
            session.stopped = false;
            channel->reply(client, "OK", Reply::Final);
            return;
        }
        case PacketKind::Kill:
            end_session();
            session.stopped = false;
            if (gdb_stub_kill_request) gdb_stub_kill_request();
            return;
        case PacketKind::Monitor:
            for (std::string& reply : monitor_replies(c.annex, session.monitor))
                channel->reply(session.client, std::move(reply));
            return;
        default: channel->reply(session.client, target_reply(c)); return;
    }
}

void take(const Event& e) {
    switch (e.kind) {
        case Event::Connected:
            if (session.client) end_session();
            session.client = e.client;
            session.awaiting_client = false;
            session.stopped = true;  // the client asks why with '?'
            session.stop_reply = kTrapped;
            session.monitor = MonitorPlaces{};
            return;
        case Event::Disconnected:
            // Also the whole visit of a client whose start the channel folded
            // into this, or the end of an earlier client: the target runs on.
            if (session.client > e.client) return;
            end_session();
            session.awaiting_client = false;
            session.stopped = false;
            return;
        case Event::Interrupt:
            if (e.client == session.client && !session.stopped) stop(kInterrupted);
            return;
        case Event::Request:
            // Requests while the target runs come from no well-behaved client.
            if (e.client == session.client && session.stopped) command(e.packet);
            return;
    }
}

// What arrived while the target ran, without waiting.
void take_pending() {
    Event e;
    while (channel->pending() && channel->next(e, std::chrono::milliseconds(0))) take(e);
}

// While stopped: the client's commands, until one resumes or it goes.
void serve() {
    while (session.stopped) {
        if (gdb_stub_wait_check) gdb_stub_wait_check();
        Event e;
        if (channel->next(e, kWaitSlice)) take(e);
    }
}

}  // namespace

}  // namespace gdbstub

using namespace gdbstub;

int gdb_stub_start(unsigned port, std::string& error) {
    if (server) {
        error = "the server is already running";
        return -1;
    }
    if (port > 65535) {
        error = "no port " + std::to_string(port);
        return -1;
    }
    channel = std::make_unique<Channel>();
    server = std::make_unique<Server>(*channel);
    if (!server->start(static_cast<uint16_t>(port), error)) {
        server.reset();
        channel.reset();
        return -1;
    }
    session = Session{};
    session.stopped = true;
    session.awaiting_client = true;
    return server->port();
}

void gdb_stub_stop() {
    if (!server) return;
    server->stop();
    server.reset();
    channel.reset();
    end_session();
    session = Session{};
}

void gdb_stub_frame_boundary() {
    if (!channel) return;
    if (channel->pending()) take_pending();
    if (session.stopped) serve();
}

bool gdb_stub_client_attached() { return channel && session.client != 0; }

void gdb_stub_stop_here(const std::string& reply) {
    if (!channel || !session.client) return;
    stop(reply);
    serve();
}

std::string gdb_stub_hit_reply(const S68000StepHit& hit) {
    if (hit.breakpoint) return kTrapped;
    return hit.watched ? watch_reply(hit.address, hit.kinds) : "";
}

namespace gdbstub {
namespace {

// The stub on the run control: it holds the target while stopped, takes the
// stops while a client is attached, and steps when the client asks.
class StubClient final : public RunClient {
public:
    void frameBoundary() override { gdb_stub_frame_boundary(); }
    void hold() override {
        if (channel && session.stopped) serve();
    }
    bool stepping() override { return channel && session.stepping; }
    void stepEnded(const S68000StepHit& hit, bool stuck) override {
        session.stepping = false;
        // A step that could not run stops too, so that the client hears of it.
        const std::string why = !stuck && hit.watched ? watch_reply(hit.address, hit.kinds) : "";
        stop(why.empty() ? kTrapped : why);
    }
    bool takesStops() override { return gdb_stub_client_attached(); }
    bool stopped(const RunStop& hit, uint32_t) override {
        stop(hit.watched ? watch_reply(hit.address, hit.kinds) : kTrapped);
        return true;  // served in hold(), then the rest of the slice runs
    }
    // An interrupt or a new client stops the target here.
    void sliceEnded() override { gdb_stub_frame_boundary(); }
} stubClient;

}  // namespace
}  // namespace gdbstub

RunClient& gdb_stub_run_client() { return gdbstub::stubClient; }

uint32_t gdb_stub_run_slice(int32_t cycles) {
    if (!channel) return s68000exec(cycles);
    RunClient* const alone[] = {&stubClient};
    return RunControl::runSlice(alone, cycles);
}
