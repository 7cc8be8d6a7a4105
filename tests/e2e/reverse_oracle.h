// Reverse execution against the forward run's own record: the board runs
// forward a place at a time (every instruction boundary and interrupt
// taken), keeping each frame's starting state and its places; then, from
// random places, reverse steps and reverse continues to random breakpoints
// and watched writes must land in exactly the state the forward run had
// there, and the frame must run on from it as it ran.
#pragma once

#include <vector>

#include "key_codes.h"

namespace e2e {

// Runs `inputs` on the started, powered-on board and asks `queries` random
// questions; the number of landings checked.
int checkReverseAgainstForwardRun(const std::vector<KeyStates>& inputs, int queries, unsigned seed);

}  // namespace e2e
