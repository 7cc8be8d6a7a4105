// The movie file's bytes back into a movie (the layout is in movie.h). The
// reader checks everything before it fills in anything.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "movie_format_parts.h"

namespace movie_format {

namespace {

// The keys a frame's input word holds, bit 0 first: every key the board reads.
constexpr uint8_t kMovieKeys[12] = {kKeyUp,   kKeyDown,     kKeyLeft,     kKeyRight,    kKeyLeftAlt,  kKeySpace,
                                    kKeyLeftShift, kKeyDigit[0], kKeyDigit[1], kKeyDigit[2], kKeyDigit[3], kKeyDigit[4]};
constexpr unsigned kSpeedShift = 12;
constexpr uint16_t kUnusedBits = 0xC000;
constexpr uint32_t kLongestHashInterval = 3600;

}  // namespace

void put(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
uint64_t get(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

uint32_t crcOn(uint32_t crc, const uint8_t* bytes, size_t size) {
    return size ? static_cast<uint32_t>(crc32(crc, bytes, static_cast<uInt>(size))) : crc;
}

uint16_t inputWord(const FrameInput& input) {
    uint16_t word = static_cast<uint16_t>(static_cast<unsigned>(input.speed) << kSpeedShift);
    for (unsigned k = 0; k < 12; ++k)
        if (input.keys.held(kMovieKeys[k])) word |= static_cast<uint16_t>(1u << k);
    return word;
}
bool readInput(uint16_t word, FrameInput& input) {
    if ((word & kUnusedBits) || (word >> kSpeedShift & 3) == 3) return false;
    input = FrameInput{};
    for (unsigned k = 0; k < 12; ++k)
        if (word >> k & 1) input.keys.hold(kMovieKeys[k]);
    input.speed = static_cast<Speed>(word >> kSpeedShift & 3);
    return true;
}

bool checkHead(const uint8_t* bytes, const Head& head, std::string& error) {
    if (head.start > 1) error = "its start kind is " + std::to_string(head.start) + " (0 power-on or 1 a state)";
    else if (head.service > 1 || (head.start == 1 && head.service != 0)) error = "its service mode byte is not valid";
    else if (get(bytes + 22, 2) != 0) error = "its reserved header bytes are not 0";
    else if (head.framesKnown && head.frames > kMostMovieFrames)
        error = "it has " + std::to_string(head.frames) + " frames, over the most a movie has";
    else if (head.interval < 1 || head.interval > kLongestHashInterval)
        error = "its picture-hash interval is " + std::to_string(head.interval) + " frames (1 to 3600)";
    else if (head.start == 1 ? !save_state::isImageSize(head.stateLength) : head.stateLength != 0)
        error = "its state length " + std::to_string(head.stateLength) + " does not fit its start kind";
    else return true;
    return false;
}

bool readStart(const uint8_t* state, const Head& head, uint64_t romSetHash, Movie& movie, std::string& error) {
    movie.romSetHash = romSetHash;
    movie.fromState = head.start == 1;
    movie.serviceMode = head.service == 1;
    movie.hashInterval = static_cast<uint32_t>(head.interval);
    std::string stateError;
    if (!movie.fromState || decodeState(state, head.stateLength, romSetHash, movie.state, stateError)) return true;
    error = "its starting state is refused: " + stateError;
    return false;
}

bool readInputs(const uint8_t* at, uint64_t first, uint64_t count, Movie& movie, std::string& error) {
    for (uint64_t f = 0; f < count; ++f) {
        FrameInput input;
        if (!readInput(static_cast<uint16_t>(get(at + 2 * f, 2)), input)) {
            error = "the input of frame " + std::to_string(first + f + 1) + " is not valid";
            return false;
        }
        movie.inputs.push_back(input);
    }
    return true;
}

}  // namespace movie_format

using namespace movie_format;

namespace {

// The frames of the block that begins after frame `done`, of a movie of
// `frames` frames (or of as many as there are, when that is not known).
uint64_t blockFrames(const Head& head, uint64_t done) {
    return head.framesKnown ? std::min<uint64_t>(kMovieBlockFrames, head.frames - done) : kMovieBlockFrames;
}
uint64_t blockHashes(const Head& head, uint64_t done, uint64_t count) {
    return (done + count) / head.interval - done / head.interval;
}
// The length of a file whose frame count is known.
size_t fileLength(const Head& head) {
    const uint64_t blocks = (head.frames + kMovieBlockFrames - 1) / kMovieBlockFrames;
    return kMovieHeaderSize + head.stateLength + 4 + 2 * head.frames + 8 * (head.frames / head.interval) + 4 * blocks;
}

}  // namespace

bool decodeMovie(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error) {
    auto refuse = [&](const std::string& why) {
        error = why;
        return false;
    };
    const std::string damaged = "its CRC does not match: the file is damaged";
    if (size < kMovieHeaderSize) return refuse("it is too short to be a movie (" + std::to_string(size) + " bytes)");
    if (std::memcmp(bytes, kMovieMagic, 8) != 0) return refuse("it is not a movie (no BVMOVIE signature)");
    const uint32_t version = static_cast<uint32_t>(get(bytes + 8, 4));
    if (version == 1) return decodeVersion1(bytes, size, romSetHash, movie, error);
    if (version != kMovieFormatVersion)
        return refuse("its format version is " + std::to_string(version) + "; this program reads versions 1 and " +
                      std::to_string(kMovieFormatVersion));
    Head head;
    head.start = bytes[20];
    head.service = bytes[21];
    head.interval = get(bytes + 24, 4);
    head.stateLength = get(bytes + 28, 4);
    head.frames = get(bytes + 32, 4);
    head.framesKnown = head.frames != kMovieFramesUnknown;
    // The header's CRC is written with the frame count, when the recording ends.
    const uint32_t headerCrc = static_cast<uint32_t>(get(bytes + 36, 4));
    if (headerCrc != (head.framesKnown ? crcOn(0, bytes, 36) : 0)) return refuse(damaged);
    if (!checkHead(bytes, head, error)) return false;
    const size_t startEnd = kMovieHeaderSize + head.stateLength;
    if (size < startEnd + 4 && !head.framesKnown) return refuse("its recording was cut short before its first frame");
    if (head.framesKnown && size != fileLength(head))
        return refuse("its length is " + std::to_string(size) + " bytes, not the " +
                      std::to_string(fileLength(head)) + " its header gives");
    uint32_t crc = crcOn(crcOn(0, bytes, kMovieEndFieldsAt), bytes + kMovieHeaderSize, head.stateLength);
    if (crc != get(bytes + startEnd, 4)) return refuse(damaged);
    if (get(bytes + 12, 8) != romSetHash) return refuse("it was recorded with another ROM set");

    Movie read;
    if (!readStart(bytes + kMovieHeaderSize, head, romSetHash, read, error)) return false;
    size_t at = startEnd + 4;
    for (uint64_t done = 0, count; (count = blockFrames(head, done)) != 0; done += count) {
        const uint64_t hashes = blockHashes(head, done, count);
        const size_t length = 2 * count + 8 * hashes;
        if (size - at < length + 4) break;  // the block under way when the recording was cut short
        if (done + count > kMostMovieFrames) return refuse("it holds more frames than the most a movie has");
        crc = crcOn(crc, bytes + at, length);
        if (crc != get(bytes + at + length, 4))
            return refuse("its CRC does not match (frames " + std::to_string(done + 1) + " to " +
                          std::to_string(done + count) + "): the file is damaged");
        if (!readInputs(bytes + at, done, count, read, error)) return false;
        for (uint64_t h = 0; h < hashes; ++h) read.pictureHashes.push_back(get(bytes + at + 2 * count + 8 * h, 8));
        at += length + 4;
    }
    read.cutShort = !head.framesKnown;
    movie = std::move(read);
    return true;
}
