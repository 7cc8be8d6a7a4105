// The save-state image inside a state file. Besides the image itself, a
// file may be one that RetroArch wrote with this board's libretro core, which
// wraps the core's image in its own containers:
//   RASTATE  "RASTATE" and the version byte 1, then blocks, each a 4-byte
//            name, a u32 length, the data and padding to 8 bytes: the image
//            in the block "MEM ", and the block "END " last;
//   RZIP     "#RZIPv", the version byte 1, "#", the u32 chunk length and the
//            u64 length of the whole content, then chunks, each a u32
//            length and that many bytes of zlib data; the content is a
//            RASTATE (or a bare image).
// Every number little-endian. The sizes a file declares are checked against
// the largest content a state of this program has before anything is
// allocated or inflated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "save_state.h"

namespace save_state {
// A RASTATE holding one image: the header, the MEM block padded to 8 bytes,
// the END block.
constexpr size_t kRetroArchStateSize = 8 + 8 + (kImageSize + 7) / 8 * 8 + 8;
}  // namespace save_state

// Finds the image in the state file `file`: the file itself when it is no
// container, else the image its containers hold. On failure `error` holds one
// line in the style of decodeState's ("is ...", no newline). The image is
// then checked by decodeState.
bool stateImageOf(const uint8_t* file, size_t size, std::vector<uint8_t>& image, std::string& error);
