// Whether a file the user named may be written: the check that the
// screenshot option and movie recordings make before they write.
#pragma once

#include <string>

// True when `path` is a regular file, or nothing is there and its directory
// is (a mistyped directory is not made). Else false with `error` saying why:
// a FIFO, a device or a directory would take the bytes somewhere else, or
// wait for a reader that never comes.
bool fileMayBeWritten(const std::string& path, std::string& error);
