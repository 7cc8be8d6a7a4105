// The manual page bevorel(6), made from the option table and the key list
// that --help prints, so that the two never differ.
#pragma once

#include <string>

// The page in roff's man macros, for `version` ("0.80").
std::string manPage(const std::string& version);
