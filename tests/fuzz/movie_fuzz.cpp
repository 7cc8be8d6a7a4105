// Fuzzes the movie reader. Any bytes go to decodeMovie: a refused file must
// come with one line and leave the movie as it was; an accepted one must
// encode back to the same bytes. An input whose first byte is odd is taken
// as a body after a header the harness makes right (start kind, frame count
// and interval from the input's next bytes, the lengths and the CRC), so
// that the inputs and the embedded state are fuzzed past the header's checks.
#include <zlib.h>

#include "fuzz_check.h"
#include "movie.h"

namespace {

constexpr uint64_t kRomSetHash = 0x0123456789ABCDEFull;

// A header that fits `body` for a movie of the given start and interval.
std::vector<uint8_t> withHeader(const uint8_t* body, size_t size, bool fromState, uint32_t interval) {
    const size_t state = fromState ? save_state::kImageSize : 0;
    // frames: as many as the body holds after the state, with their hashes
    const size_t rest = size > state ? size - state : 0;
    const size_t frames = rest * interval / (2 * interval + 8);
    std::vector<uint8_t> file(kMovieMagic, kMovieMagic + 8);
    putLittle(file, kMovieFormatVersion, 4);
    putLittle(file, kRomSetHash, 8);
    putLittle(file, fromState ? 1 : 0, 4);  // the start's kind, three bytes reserved
    putLittle(file, frames, 4);
    putLittle(file, interval, 4);
    putLittle(file, state, 4);
    putLittle(file, crc32(0, body, static_cast<uInt>(size)), 4);
    file.insert(file.end(), body, body + size);
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::vector<uint8_t> file = data[0] & 1 ? withHeader(data + 2, size - 2, data[1] & 1, 1 + data[1] / 2)
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
    if (encodeMovie(movie) != file) fail("an accepted file does not encode back to itself");
    return 0;
}
