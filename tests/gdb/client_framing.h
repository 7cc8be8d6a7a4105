// A packet as a correct client frames it, written independently of the stub's
// own framing so that the two check each other.
#pragma once
#include <cstdio>
#include <string>

inline std::string framed(const std::string& payload) {
    unsigned sum = 0;
    for (const char c : payload) sum += static_cast<unsigned char>(c);
    char tail[4];
    std::snprintf(tail, sizeof tail, "#%02x", sum & 0xFF);
    return "$" + payload + tail;
}
