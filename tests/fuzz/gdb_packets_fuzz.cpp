// Fuzzes the GDB stub's input: fuzzed bytes cut into packets and read into
// commands; the server's own replies and the board's commands answered
// against a core on fuzzed memory, with the breakpoints and watchpoints the
// packets set in force while resume commands run the core a little, and
// `monitor` lines (qRcmd) answered as the console monitor's text.
#include <cstdlib>
#include <string>

#include "commands.h"
#include "fuzz_memory.h"
#include "packets.h"
#include "s68000_debug.h"
#include "target_commands.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s68000init();
    return 0;
}

namespace {

using namespace gdbstub;

void run(const Packet& c) {
    s68000stepOverBreakpoint(_s68000context.pc);
    s68000armWatchpoints();
    s68000exec(c.kind == PacketKind::Step ? 1 : 300);
    s68000disarmWatchpoints();
    s68000takeBreakpointStop();
    uint32_t address;
    int kinds;
    s68000takeWatchHit(&address, &kinds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzMemory memory(in);
    s68000reset();
    _s68000context.pc = memory.first_low;
    _s68000context.interrupts[0] = 0;

    PacketReader reader;
    PacketEvent event;
    MonitorPlaces places;
    for (char c : in.ConsumeRemainingBytesAsString()) {
        if (!reader.feed(c, event) || event.kind != PacketEvent::Packet) continue;
        const Packet command = parse_packet(event.payload);
        std::string reply;
        if (command.kind == PacketKind::Monitor) {
            const std::vector<std::string> replies = monitor_replies(command.annex, places);
            if (replies.empty() || (replies.back() != "OK" && replies.back() != "E01")) std::abort();
            for (const std::string& text : replies)
                if (frame_packet(text).size() < text.size() + 4) std::abort();
        } else if (resumes(command.kind)) {
            run(command);
        } else {
            reply = for_the_target(command.kind) ? target_reply(command) : server_reply(command);
        }
        if (frame_packet(reply).size() < reply.size() + 4) std::abort();
    }
    s68000clearBreakpoints();
    s68000clearWatchpoints();
    return 0;
}
