// The program's directory and the booted game's path.
#pragma once

#include <cstddef>

constexpr std::size_t kPathSize = 1024;  // 1023 characters and the terminator

// First argv[0]; from the window's construction on, the program's directory
// with its final '/'. Handed to the board start-up.
extern char execPath[kPathSize];
// The booted game's path: non-empty once a game has been booted; never cleared.
extern char romPath[kPathSize];
inline bool gameBooted() { return romPath[0] != '\0'; }

// Copies `text` into a path buffer of kPathSize bytes. A text of kPathSize
// characters or more is refused (false) and the buffer is left as it was.
bool copyPath(char (&buffer)[kPathSize], const char* text);

// Cuts `path` after its last '/'; a path without one becomes "./".
void cutToDirectory(char (&path)[kPathSize]);
