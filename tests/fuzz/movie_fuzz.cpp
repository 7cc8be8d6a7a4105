// Fuzzes the movie reader. Any bytes go to decodeMovie: a refused file must
// come with one line and leave the movie as it was; an accepted one must
// encode to a file that reads back as the same movie, and a whole file of
// this version to itself. By the input's first byte, the rest is taken as it
// is, or as a body after a header the harness makes right (start kind and
// interval from the input's next byte): of the first version (the lengths
// and its CRC made right), or of a recording cut short (its CRCs put in),
// so that the inputs and the embedded state are fuzzed past the checks.
#include <zlib.h>

#include "fuzz_check.h"
#include "movie.h"

namespace {

constexpr uint64_t kRomSetHash = 0x0123456789ABCDEFull;

// The header's fields up to the state's length, for `version`.
std::vector<uint8_t> header(uint32_t version, bool fromState) {
    std::vector<uint8_t> file(kMovieMagic, kMovieMagic + 8);
    putLittle(file, version, 4);
    putLittle(file, kRomSetHash, 8);
    putLittle(file, fromState ? 1 : 0, 4);  // the start's kind, three bytes reserved
    return file;
}

// A first-version file that fits `body`.
std::vector<uint8_t> version1(const uint8_t* body, size_t size, bool fromState, uint32_t interval) {
    const size_t state = fromState ? save_state::kImageSize : 0;
    // frames: as many as the body holds after the state, with their hashes
    const size_t rest = size > state ? size - state : 0;
    std::vector<uint8_t> file = header(1, fromState);
    putLittle(file, rest * interval / (2 * interval + 8), 4);
    putLittle(file, interval, 4);
    putLittle(file, state, 4);
    putLittle(file, crc32(0, body, static_cast<uInt>(size)), 4);
    file.insert(file.end(), body, body + size);
    return file;
}

// A file of this version cut short: `body` as its start and blocks, each
// followed by its CRC, and the bytes left over as a block cut off.
std::vector<uint8_t> cutShort(const uint8_t* body, size_t size, bool fromState, uint32_t interval) {
    std::vector<uint8_t> file = header(kMovieFormatVersion, fromState);
    putLittle(file, interval, 4);
    putLittle(file, fromState ? save_state::kImageSize : 0, 4);
    uLong crc = crc32(0, file.data(), static_cast<uInt>(file.size()));
    putLittle(file, kMovieFramesUnknown, 4);
    putLittle(file, 0, 4);
    size_t piece = fromState ? save_state::kImageSize : 0;
    for (uint64_t frames = 0; piece <= size; frames += kMovieBlockFrames) {
        crc = crc32(crc, body, static_cast<uInt>(piece));
        file.insert(file.end(), body, body + piece);
        putLittle(file, crc, 4);
        body += piece, size -= piece;
        piece = 2 * kMovieBlockFrames + 8 * ((frames + kMovieBlockFrames) / interval - frames / interval);
    }
    file.insert(file.end(), body, body + size);
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool fromState = data[1] & 1;
    const uint32_t interval = 1 + data[1] / 2;
    const std::vector<uint8_t> file = data[0] % 3 == 1   ? version1(data + 2, size - 2, fromState, interval)
                                      : data[0] % 3 == 2 ? cutShort(data + 2, size - 2, fromState, interval)
                                                         : std::vector<uint8_t>(data + 1, data + size);
    Movie movie;
    movie.hashInterval = 1234;  // a mark that a refusal must leave
    std::string error;
    if (!decodeMovie(file.data(), file.size(), kRomSetHash, movie, error)) {
        if (!oneLine(error)) fail("a refusal without its one line");
        if (movie.hashInterval != 1234 || !movie.inputs.empty()) fail("a refused file changed the movie");
        return 0;
    }
    if (!error.empty()) fail("an accepted file came with an error");
    const std::vector<uint8_t> again = encodeMovie(movie);
    const bool whole = file[8] == kMovieFormatVersion && !movie.cutShort;
    if (whole && again != file) fail("an accepted file does not encode back to itself");
    Movie reread;
    if (!decodeMovie(again.data(), again.size(), kRomSetHash, reread, error) || reread.cutShort ||
        encodeMovie(reread) != again)
        fail("an accepted movie does not read back the same");
    return 0;
}
