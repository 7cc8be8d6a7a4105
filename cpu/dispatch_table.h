// The dispatch table and its compressed image, for the core and for tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core_state.h"

namespace m68k {

extern Handler jmptbl[65536] M68K_HIDDEN;
extern const uint32_t* const jmptblcomp;
extern const size_t jmptblcomp_records;

}  // namespace m68k
