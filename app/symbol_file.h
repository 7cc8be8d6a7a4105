// --symbols FILE: names for the workbench, read as the program reads its
// other files: a regular file only (a FIFO is never waited on), up to a limit.
#pragma once

#include <memory>
#include <string>

#include "symbols.h"

// The symbols of the file `path`; null, with `error` naming the file and
// saying why, when it cannot be used.
std::shared_ptr<const workbench::Symbols> readSymbolFile(const std::string& path, std::string& error);
