// The outgoing side of the remote serial protocol.
#pragma once

#include <string>
#include <string_view>

namespace gdbstub {

// "$payload#cs", with '$', '#', '}' and '*' of the payload escaped as '}'
// and the character xor 0x20, the checksum taken over what is sent.
std::string frame_packet(std::string_view payload);

}  // namespace gdbstub
