// The 68000 address space as the Memory panel shows it, read from a snapshot
// only: ROM, work RAM, palette RAM, the input ports and sprite RAM from the
// board's own state; every other address (a port served by a handler that
// keeps no readable state, or nothing at all) has no value to show. Reading
// here never reaches the machine, so no handler runs because a panel looks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "snapshot.h"

namespace workbench {

std::optional<uint8_t> viewByte(const Snapshot& snapshot, uint32_t address);

// Whether the byte at `address` differs between two snapshots (either
// without a value counts as unchanged).
bool byteChanged(const Snapshot& before, const Snapshot& now, uint32_t address);

// A hex dump line of 16 bytes from `address`: "00100000  12 34 -- ...  .4.."
std::string dumpLine(const Snapshot& snapshot, uint32_t address);

// Where the user may change memory while the 68000 is stopped: work RAM and
// sprite RAM, which the board keeps as plain memory. Otherwise the reason.
std::optional<std::string> refuseEdit(uint32_t address);

}  // namespace workbench
