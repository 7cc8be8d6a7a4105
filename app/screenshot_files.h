// Screenshots taken with F12: PNG files named after the moment they were
// taken, in the user's pictures directory, never over an existing file.
#pragma once

#include <ctime>
#include <string>

#include "kit.h"

// "bevorel-YYYYMMDD-HHMMSS.png" for `when` in local time.
std::string screenshotName(std::time_t when);

// Writes `picture` into `dir` as screenshotName(when), or, when a file of
// that name is there, with "-2", "-3" ... before ".png". On success `path`
// is the file written; otherwise `error` says why and no file was made.
bool saveScreenshot(const DrawnPicture& picture, const std::string& dir, std::time_t when, std::string& path,
                    std::string& error);
