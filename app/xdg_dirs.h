// Where the program keeps its files: the XDG base directories.
#pragma once

#include <string>

// $XDG_DATA_HOME when it is set to an absolute path, else ~/.local/share;
// "" when there is no home directory either.
std::string xdgDataHome();
// $XDG_CONFIG_HOME when it is set to an absolute path, else ~/.config; ""
// when there is no home directory either.
std::string xdgConfigHome();
