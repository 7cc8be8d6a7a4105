// The save-state slot files: one per slot and ROM set, in
// $XDG_DATA_HOME/bevorel/states/ (by default ~/.local/share/bevorel/states/),
// named after the ROM set's hash: 0123456789abcdef-slot3.state.
#pragma once

#include <cstdint>
#include <string>

constexpr int kStateSlots = 8;

// The directory of the slot files; "" when there is no home directory.
std::string stateDirectory();
// The file of `slot` for the ROM set with hash `romSetHash`; "" when there is
// no home directory.
std::string slotPath(uint64_t romSetHash, int slot);
// Whether a file is there for that slot and ROM set.
bool slotHoldsState(uint64_t romSetHash, int slot);
