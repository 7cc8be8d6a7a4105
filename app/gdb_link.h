// The GDB stub attached to the program: the server, the frame driver's hooks,
// the emulation thread's kill check and the client's kill as a board reset.
#pragma once

#include <string>

#include "machine.h"

// Starts the server on 127.0.0.1:port (0: any free port), prints the port it
// listens on and hooks the stub into `machine`'s frames. False, with the
// reason in `error`, when it cannot.
bool startGdbLink(Machine& machine, int port, std::string& error);
// Unhooks the stub and stops the server; after the emulation thread has been
// stopped.
void stopGdbLink(Machine& machine);
