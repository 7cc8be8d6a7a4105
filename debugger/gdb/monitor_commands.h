// gdb's `monitor` command (qRcmd): the console monitor's register dump,
// memory dump and listing, in the console's own text, and a help text.
// Run on the emulation thread, which alone touches the board.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gdbstub {

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
