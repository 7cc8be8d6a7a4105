// PNG copies of the picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kit.h"

// Writes columns 0 to 255 of rows 0 to 223 of `picture` (B_RGB15) as an
// 8-bit RGB PNG file, replacing it atomically (see writeFileAtomically).
// False with a reason when nothing was drawn yet, `file` is there but is no
// regular file (a FIFO, a directory), its directory is missing, or it
// cannot be written.
bool writePicturePng(const DrawnPicture& picture, const std::string& file, std::string& error);
// The same PNG file's bytes.
bool encodePicturePng(const DrawnPicture& picture, std::vector<uint8_t>& png, std::string& error);

// The 8-bit components of a 15-bit pixel (bit 15 ignored), each 5-bit value
// v widened as (v << 3) | (v >> 2) so that 31 becomes 255.
void rgb15ToRgb8(uint16_t pixel, uint8_t rgb[3]);
