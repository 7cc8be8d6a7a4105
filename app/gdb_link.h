// The GDB stub attached to the program: the server, the frame driver's hooks,
// the emulation thread's kill check and the client's kill as a board reset.
#pragma once

#include <string>

// Starts the server on 127.0.0.1:port (0: any free port) and prints the port
// it listens on. False, with the reason in `error`, when it cannot.
bool startGdbLink(int port, std::string& error);
// Stops the server; after the emulation thread has been stopped.
void stopGdbLink();
