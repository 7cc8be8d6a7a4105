// Where the program keeps its files: the XDG base directories.
#pragma once

#include <string>
#include <vector>

// $XDG_DATA_HOME when it is set to an absolute path, else ~/.local/share;
// "" when there is no home directory either.
std::string xdgDataHome();
// $XDG_CONFIG_HOME when it is set to an absolute path, else ~/.config; ""
// when there is no home directory either.
std::string xdgConfigHome();
// The data directories shared by all users: $XDG_DATA_DIRS's absolute
// entries in order, else /usr/local/share and /usr/share.
std::vector<std::string> xdgDataDirs();
// The user's pictures directory: $XDG_PICTURES_DIR when it is set to an
// absolute path; else the XDG_PICTURES_DIR line of user-dirs.dirs in the
// config home (as xdg-user-dirs writes it: "$HOME/Pictures" or an absolute
// path, in double quotes); else ~/Pictures. "" when there is no home
// directory either.
std::string xdgPicturesDir();
