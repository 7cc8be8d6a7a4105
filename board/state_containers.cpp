#include "state_containers.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using namespace save_state;

constexpr char kRzipMagic[] = "#RZIPv";  // then the version byte and '#'
constexpr size_t kRzipHeaderSize = 20;
constexpr char kRastateMagic[] = "RASTATE";  // then the version byte
constexpr size_t kBlockHeaderSize = 8;

uint32_t u32At(const uint8_t* at) { return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24; }
uint64_t u64At(const uint8_t* at) { return u32At(at) | static_cast<uint64_t>(u32At(at + 4)) << 32; }

bool startsWith(const uint8_t* file, size_t size, const char* magic) {
    const size_t length = std::strlen(magic);
    return size >= length && std::memcmp(file, magic, length) == 0;
}

// A block's name as it may be shown: printable ASCII as it is, every other
// byte (and the backslash and quote) as \xNN, so that no byte of a file
// reaches the terminal raw.
std::string shownName(const uint8_t* name, size_t length) {
    std::string shown;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = name[i];
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            shown += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return shown;
}

bool refuse(std::string& error, const std::string& line) {
    error = line;
    return false;
}

// The blocks of a RASTATE: the MEM block's data is the image.
bool openRastate(const uint8_t* file, size_t size, std::vector<uint8_t>& image, std::string& error) {
    if (size < 8) return refuse(error, "is cut short: a RetroArch state needs an 8-byte header");
    if (file[7] != 1) return refuse(error, "is a RetroArch state of an unknown version " + std::to_string(file[7]));
    const uint8_t* memory = nullptr;
    size_t memorySize = 0;
    size_t at = 8;
    for (;;) {
        if (size - at < kBlockHeaderSize) return refuse(error, "is a RetroArch state cut short (no END block)");
        const uint8_t* block = file + at;
        const std::string name(reinterpret_cast<const char*>(block), 4);
        const uint64_t length = u32At(block + 4);
        at += kBlockHeaderSize;
        if (name == "END ") {
            if (at != size)
                return refuse(error, "is a damaged RetroArch state: " + std::to_string(size - at) +
                                         " bytes follow its END block");
            break;
        }
        if (length > size - at)
            return refuse(error, "is a damaged RetroArch state: its block \"" + shownName(block, 4) + "\" claims " +
                                     std::to_string(length) + " bytes where " + std::to_string(size - at) + " are left");
        if (name == "MEM ") {
            if (memory) return refuse(error, "is a damaged RetroArch state: it holds two MEM blocks");
            memory = file + at;
            memorySize = static_cast<size_t>(length);
        }
        at += std::min(static_cast<size_t>((length + 7) / 8 * 8), size - at);
    }
    if (!memory) return refuse(error, "is a RetroArch state that holds no board state (no MEM block)");
    image.assign(memory, memory + memorySize);
    return true;
}

// The content of an RZIP, inflated chunk by chunk into a buffer no larger
// than the largest content allowed.
bool openRzip(const uint8_t* file, size_t size, std::vector<uint8_t>& content, std::string& error) {
    if (size < kRzipHeaderSize) return refuse(error, "is cut short: a compressed RetroArch state needs a 20-byte header");
    if (file[6] != 1 || file[7] != '#')
        return refuse(error, "is a compressed RetroArch state of an unknown version " + std::to_string(file[6]));
    const uint32_t chunkSize = u32At(file + 8);
    const uint64_t total = u64At(file + 12);
    if (total > kRetroArchStateSize)
        return refuse(error, "is a compressed RetroArch state of " + std::to_string(total) +
                                 " bytes, more than a state of this program takes (" +
                                 std::to_string(kRetroArchStateSize) + ")");
    if (total == 0 || chunkSize == 0)
        return refuse(error, "is a damaged compressed RetroArch state: it declares no content");
    std::vector<uint8_t> out(static_cast<size_t>(total));
    size_t produced = 0, at = kRzipHeaderSize;
    while (produced < out.size()) {
        if (size - at < 4) return refuse(error, "is a compressed RetroArch state cut short");
        const uint32_t packed = u32At(file + at);
        at += 4;
        if (packed > size - at)
            return refuse(error, "is a compressed RetroArch state cut short: a chunk claims " + std::to_string(packed) +
                                     " bytes where " + std::to_string(size - at) + " are left");
        const size_t expected = std::min<size_t>(chunkSize, out.size() - produced);
        uLongf length = static_cast<uLongf>(expected);
        const int status = uncompress(out.data() + produced, &length, file + at, packed);
        if (status != Z_OK || length != expected)
            return refuse(error, "is a damaged compressed RetroArch state: a chunk does not inflate to its " +
                                     std::to_string(expected) + " bytes");
        produced += expected;
        at += packed;
    }
    if (at != size) return refuse(error, "is a damaged compressed RetroArch state: bytes follow its last chunk");
    content = std::move(out);
    return true;
}

}  // namespace

bool stateImageOf(const uint8_t* file, size_t size, std::vector<uint8_t>& image, std::string& error) {
    std::vector<uint8_t> inflated;
    if (startsWith(file, size, kRzipMagic)) {
        if (!openRzip(file, size, inflated, error)) return false;
        file = inflated.data();
        size = inflated.size();
    }
    if (startsWith(file, size, kRastateMagic)) return openRastate(file, size, image, error);
    image.assign(file, file + size);
    return true;
}
