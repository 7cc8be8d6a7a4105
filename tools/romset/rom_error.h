// The one error type of the ROM set tools: a message for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace romset {

struct RomError : std::runtime_error {
    explicit RomError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace romset
