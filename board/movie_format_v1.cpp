// The movie file's first version (the layout is in movie.h), read so that
// the movies recorded before blocks came still play. Its CRC covers the body
// only.
#include <zlib.h>

#include "movie_format_parts.h"

namespace movie_format {

bool decodeVersion1(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error) {
    Head head;
    head.start = bytes[20];
    head.service = bytes[21];
    head.frames = get(bytes + 24, 4);
    head.interval = get(bytes + 28, 4);
    head.stateLength = get(bytes + 32, 4);
    if (get(bytes + 12, 8) != romSetHash) {
        error = "it was recorded with another ROM set";
        return false;
    }
    if (!checkHead(bytes, head, error)) return false;
    const size_t expected = head.stateLength + 2 * head.frames + 8 * (head.frames / head.interval);
    if (size - kMovieHeaderSize != expected) {
        error = "its length is " + std::to_string(size) + " bytes, not the " +
                std::to_string(kMovieHeaderSize + expected) + " its header gives";
        return false;
    }
    const uint8_t* body = bytes + kMovieHeaderSize;
    if (crc32(0, body, static_cast<uInt>(expected)) != get(bytes + 36, 4)) {
        error = "its CRC does not match: the file is damaged";
        return false;
    }
    Movie read;
    if (!readStart(body, head, romSetHash, read, error)) return false;
    const uint8_t* inputs = body + head.stateLength;
    if (!readInputs(inputs, 0, head.frames, read, error)) return false;
    const uint8_t* hashes = inputs + 2 * head.frames;
    for (uint64_t h = 0; h < head.frames / head.interval; ++h) read.pictureHashes.push_back(get(hashes + 8 * h, 8));
    movie = std::move(read);
    return true;
}

}  // namespace movie_format
