// Reverse execution against the forward run's own record (each frame's start
// and places): from random places, reverse steps and continues to breakpoints
// and watched writes land in exactly the state the forward run had there, and
// run on from it as it ran.
#pragma once

#include <vector>

#include "key_codes.h"

namespace e2e {

// Runs `inputs` on the started, powered-on board and asks `queries` random
// questions; the number of landings checked.
int checkReverseAgainstForwardRun(const std::vector<KeyStates>& inputs, int queries, unsigned seed);

}  // namespace e2e
