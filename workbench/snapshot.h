// What the workbench's panels show: a copy of the machine taken by the
// emulation thread at a frame boundary (or where it stopped), which the
// window's threads read without ever touching the live machine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "access_log.h"
#include "profile_session.h"
#include "save_state.h"

namespace workbench {

struct ListingLine {
    uint32_t address = 0;
    uint32_t length = 0;  // bytes
    std::string text;     // the disassembler's text of the instruction
    std::string words;    // its words in hexadecimal: "4EB9 0000 0BE6"
    bool data = false;    // a word the code/data log has as data ("dc.w")
};

struct Snapshot {
    bool valid = false;  // false before the first capture
    BoardState state{};
    // The program ROM in the board's memory image (every 68000 word one
    // host-order value) and the graphics, one byte a pixel; shared between
    // snapshots while the board keeps the same images.
    std::shared_ptr<const std::vector<uint8_t>> programRom, graphics;
    std::vector<uint16_t> picture;  // the last frame's picture, 256 x 224
    uint64_t frame = 0;         // frames run since the workbench opened (none while stopped)
    uint32_t cycles = 0;        // the core's cycle count
    bool stopped = false;       // the workbench holds the 68000
    bool monitorOwns = false;   // the console monitor has the emulation thread
    std::vector<ListingLine> listing;  // instructions around the PC (or the place gone to)
    std::vector<uint32_t> breakpoints;
    struct Watchpoint {
        uint32_t address = 0, length = 0;
        int kinds = 0;  // S68000_WATCH_READ, S68000_WATCH_WRITE or both
        bool operator==(const Watchpoint&) const = default;
    };
    std::vector<Watchpoint> watchpoints;
    std::string message;        // the last command's outcome, for the user
    // The call stack as executed, newest frame last, with its functions'
    // names, and the profile of the range started with ProfileStart (null
    // before one).
    std::vector<CallFrame> callStack;
    std::vector<std::string> callStackNames;
    std::shared_ptr<const NamedProfile> profile;
    uint64_t messageSerial = 0; // a new one for each message given
    // What the 68000 read, wrote and executed in the last frames, the last
    // frames' events, oldest first, and the code/data log's words with each
    // flag (opcode, operand, data); empty before the first frame logged.
    std::shared_ptr<const AccessAges> accessAges;
    std::vector<std::shared_ptr<const FrameEvents>> frameEvents;
    std::vector<uint32_t> codeDataCounts;
};

}  // namespace workbench
