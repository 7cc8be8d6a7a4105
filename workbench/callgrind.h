// A profile in callgrind's format, for callgrind_annotate and KCachegrind:
// one event, Cycles; per function its self cycles at its first line, and its
// calls with their inclusive cycles at the call's line, where the line table
// knows them (else line 0 of "???"). No summary line: the readers add the
// self cycles up, which are the cycles run over the range.
#pragma once

#include <functional>
#include <string>

#include "line_table.h"
#include "profiler.h"

namespace workbench {

// `name` names a function by its entry address; `command` is what was run.
std::string callgrindText(const Profile& profile, const std::function<std::string(uint32_t)>& name,
                          const LineTable* lines, const std::string& command);

}  // namespace workbench
