// The movie file's bytes and back (the layout is in movie.h). The reader
// checks everything before it fills in anything.
#include <zlib.h>

#include <cstring>

#include "movie.h"

namespace {

// The keys a frame's input word holds, bit 0 first: every key the board reads.
constexpr uint8_t kMovieKeys[12] = {kKeyUp,   kKeyDown,     kKeyLeft,     kKeyRight,    kKeyLeftAlt,  kKeySpace,
                                    kKeyLeftShift, kKeyDigit[0], kKeyDigit[1], kKeyDigit[2], kKeyDigit[3], kKeyDigit[4]};
constexpr unsigned kSpeedShift = 12;
constexpr uint16_t kUnusedBits = 0xC000;
constexpr uint32_t kLongestHashInterval = 3600;

void put(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
uint64_t get(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

uint16_t inputWord(const FrameInput& input) {
    uint16_t word = static_cast<uint16_t>(static_cast<unsigned>(input.speed) << kSpeedShift);
    for (unsigned k = 0; k < 12; ++k)
        if (input.keys.held(kMovieKeys[k])) word |= static_cast<uint16_t>(1u << k);
    return word;
}
FrameInput frameInput(uint16_t word) {
    FrameInput input;
    for (unsigned k = 0; k < 12; ++k)
        if (word >> k & 1) input.keys.hold(kMovieKeys[k]);
    input.speed = static_cast<Speed>(word >> kSpeedShift & 3);
    return input;
}

size_t bodySize(size_t stateLength, uint64_t frames, uint32_t interval) {
    return stateLength + 2 * frames + 8 * (frames / interval);
}

}  // namespace

std::vector<uint8_t> encodeMovie(const Movie& movie) {
    std::vector<uint8_t> body;
    if (movie.fromState) body = encodeState(movie.state, movie.romSetHash);
    const size_t stateLength = body.size();
    for (const FrameInput& input : movie.inputs) put(body, inputWord(input), 2);
    for (uint64_t hash : movie.pictureHashes) put(body, hash, 8);

    std::vector<uint8_t> file(kMovieMagic, kMovieMagic + 8);
    put(file, kMovieFormatVersion, 4);
    put(file, movie.romSetHash, 8);
    put(file, movie.fromState ? 1 : 0, 1);
    put(file, !movie.fromState && movie.serviceMode ? 1 : 0, 1);
    put(file, 0, 2);
    put(file, movie.inputs.size(), 4);
    put(file, movie.hashInterval, 4);
    put(file, stateLength, 4);
    put(file, crc32(0, body.data(), static_cast<uInt>(body.size())), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

bool decodeMovie(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error) {
    auto refuse = [&](const std::string& why) {
        error = why;
        return false;
    };
    if (size < kMovieHeaderSize) return refuse("it is too short to be a movie (" + std::to_string(size) + " bytes)");
    if (std::memcmp(bytes, kMovieMagic, 8) != 0) return refuse("it is not a movie (no BVMOVIE signature)");
    const uint32_t version = static_cast<uint32_t>(get(bytes + 8, 4));
    if (version != kMovieFormatVersion)
        return refuse("its format version is " + std::to_string(version) + "; this program reads version " +
                      std::to_string(kMovieFormatVersion));
    if (get(bytes + 12, 8) != romSetHash) return refuse("it was recorded with another ROM set");
    const uint8_t start = bytes[20], service = bytes[21];
    const uint64_t frames = get(bytes + 24, 4), interval = get(bytes + 28, 4), stateLength = get(bytes + 32, 4);
    if (start > 1) return refuse("its start kind is " + std::to_string(start) + " (0 power-on or 1 a state)");
    if (service > 1 || (start == 1 && service != 0)) return refuse("its service mode byte is not valid");
    if (get(bytes + 22, 2) != 0) return refuse("its reserved header bytes are not 0");
    if (frames > kMostMovieFrames) return refuse("it has " + std::to_string(frames) + " frames, over the most a movie has");
    if (interval < 1 || interval > kLongestHashInterval)
        return refuse("its picture-hash interval is " + std::to_string(interval) + " frames (1 to 3600)");
    if (stateLength != (start == 1 ? save_state::kImageSize : 0))
        return refuse("its state length " + std::to_string(stateLength) + " does not fit its start kind");
    const size_t expected = bodySize(stateLength, frames, static_cast<uint32_t>(interval));
    if (size - kMovieHeaderSize != expected)
        return refuse("its length is " + std::to_string(size) + " bytes, not the " +
                      std::to_string(kMovieHeaderSize + expected) + " its header gives");
    const uint8_t* body = bytes + kMovieHeaderSize;
    if (crc32(0, body, static_cast<uInt>(expected)) != get(bytes + 36, 4))
        return refuse("its CRC does not match: the file is damaged");

    Movie read;
    read.romSetHash = romSetHash;
    read.fromState = start == 1;
    read.serviceMode = service == 1;
    read.hashInterval = static_cast<uint32_t>(interval);
    if (read.fromState) {
        std::string stateError;
        if (!decodeState(body, stateLength, romSetHash, read.state, stateError))
            return refuse("its starting state is refused: " + stateError);
    }
    const uint8_t* inputs = body + stateLength;
    read.inputs.reserve(frames);
    for (uint64_t f = 0; f < frames; ++f) {
        const uint16_t word = static_cast<uint16_t>(get(inputs + 2 * f, 2));
        if ((word & kUnusedBits) || (word >> kSpeedShift & 3) == 3)
            return refuse("the input of frame " + std::to_string(f + 1) + " is not valid");
        read.inputs.push_back(frameInput(word));
    }
    const uint8_t* hashes = inputs + 2 * frames;
    for (uint64_t h = 0; h < frames / interval; ++h) read.pictureHashes.push_back(get(hashes + 8 * h, 8));
    movie = std::move(read);
    return true;
}
