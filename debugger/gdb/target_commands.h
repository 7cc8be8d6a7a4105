// The command layer's second half: the commands that need the board, run on
// the emulation thread, which alone touches it, between slices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"

namespace gdbstub {

// The reply to g, G, p, P, m, M, Z and z: registers, memory and the
// breakpoint and watchpoint tables. Memory goes through the core's data
// lists, so the board's handlers see every access as they would see the
// CPU's.
std::string target_reply(const Packet& command);

// gdb's `monitor` command (qRcmd): the console monitor's register dump,
// memory dump and listing, in the console's own text, and a help text.

// Where `d` and `u` without an address go on, kept per client apart from the
// console monitor's places.
struct MonitorPlaces {
    uint32_t dump = 0;                // after the last dump
    std::optional<uint32_t> listing;  // after the last listing; none: at the PC
};

// The replies to one command line, in order: its text as 'O' packets, then
// "OK"; or, for an unknown command or a bad argument, the reason as text and
// "E01", nothing changed.
std::vector<std::string> monitor_replies(const std::string& line, MonitorPlaces& places);

}  // namespace gdbstub
