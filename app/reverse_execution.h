// gdb's reverse execution (bs, bc) on the emulation thread, from the history:
// the nearest earlier snapshot restored and run forward an instruction at a
// time with the recorded keys, counting cycles to find the place to stop.
#pragma once

#include "emulation.h"

// The stub's reverse hook: throws a ReverseRequest while reverseAllowed;
// else returns, and the stub refuses.
void requestReverse(bool toLastHit);

// goBackHandler's: goes back as asked from inside the frame under way, stops
// there for gdb and, once it resumes, runs that frame to its end (requests
// while stopped go back again): its picture. The frame is kept in the history.
const uint16_t* goBack(EmulationControl& control, ReverseRequest request);
