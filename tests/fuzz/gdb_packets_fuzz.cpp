// Fuzzes the GDB stub's input: fuzzed bytes cut into packets and read into
// commands; the server's own replies and the board's commands answered
// against a core on fuzzed memory, with the breakpoints and watchpoints the
// packets set in force while resume commands run the core a little.
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

void run(const Command& c) {
    s68000stepOverBreakpoint(_s68000context.pc);
    s68000armWatchpoints();
    s68000exec(c.kind == CommandKind::Step ? 1 : 300);
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
    memory.install();
    s68000reset();
    _s68000context.pc = memory.first_low;
    _s68000context.interrupts[0] = 0;

    PacketReader reader;
    PacketEvent event;
    for (char c : in.ConsumeRemainingBytesAsString()) {
        if (!reader.feed(c, event) || event.kind != PacketEvent::Packet) continue;
        const Command command = parse_command(event.payload);
        std::string reply;
        if (resumes(command.kind))
            run(command);
        else if (for_the_target(command.kind))
            reply = target_reply(command);
        else
            reply = server_reply(command);
        if (frame_packet(reply).size() < reply.size() + 4) std::abort();
    }
    s68000clearBreakpoints();
    s68000clearWatchpoints();
    return 0;
}
