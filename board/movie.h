// Input movies: the inputs of every frame from power-on or from a state, and
// a hash of the picture every few frames, so that playing them back shows
// exactly the frames the recording showed, and says where it does not.
//
// The file, every number little-endian and of fixed width:
//   header (40 bytes)
//     magic "BVMOVIE" 0x1A (8), format version (u32, 1), ROM-set hash (u64,
//     as save states carry it), start kind (u8: 0 power-on, 1 a state),
//     service mode at power-on (u8, 0 or 1; 0 from a state), reserved (u16,
//     0), frame count (u32, at most kMostMovieFrames), picture-hash interval
//     N (u32, 1 to 3600 frames), state length (u32: 0 from power-on, else
//     the save-state image's length), CRC-32 of the body (u32)
//   body
//     the save-state image the movie starts from (save_state.h), if any;
//     each frame's input (u16): bits 0-11 the board's keys held (Up, Down,
//     Left, Right, Left Alt, Space, Left Shift, the top row's 1 to 5), bits
//     12-13 the speed (0 60 fps, 1 30 fps, 2 unlimited), bits 14-15 0;
//     the picture's hash (u64, 64-bit FNV-1a over the pixels' 16-bit values,
//     low byte first) after frames N, 2N, ... (frame count / N of them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "machine.h"

constexpr uint8_t kMovieMagic[8] = {'B', 'V', 'M', 'O', 'V', 'I', 'E', 0x1A};
constexpr uint32_t kMovieFormatVersion = 1;
constexpr size_t kMovieHeaderSize = 40;
constexpr uint32_t kMostMovieFrames = 24u * 3600 * 60;  // a day at 60 fps
constexpr uint32_t kMovieHashInterval = 60;
// The largest file a movie can be.
constexpr size_t kLargestMovie =
    kMovieHeaderSize + save_state::kImageSize + 2 * size_t{kMostMovieFrames} + 8 * size_t{kMostMovieFrames};

struct Movie {
    uint64_t romSetHash = 0;
    bool fromState = false;
    bool serviceMode = false;  // at power-on
    BoardState state{};        // where it starts, when fromState
    uint32_t hashInterval = kMovieHashInterval;
    std::vector<FrameInput> inputs;        // one a frame
    std::vector<uint64_t> pictureHashes;   // after frames N, 2N, ...
};

// The file's bytes.
std::vector<uint8_t> encodeMovie(const Movie& movie);
// Checks a file completely against the ROM set with hash `romSetHash`; on
// success fills `movie`, else `error` holds one line (no newline) and
// `movie` is as it was.
bool decodeMovie(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error);

// The hash a movie keeps of a picture.
uint64_t pictureHash(const uint16_t* picture);

// Records a movie of the frames a machine runs.
class MovieRecorder {
public:
    // From power-on: powers `machine` on (in service mode or not) and resets it.
    void beginAtPowerOn(Machine& machine, bool serviceMode);
    // From the machine as it stands, which the movie embeds.
    void beginHere(const Machine& machine);
    // After each frame: its input and the picture it left.
    void frameRan(const FrameInput& input, const uint16_t* picture);
    const Movie& movie() const { return fMovie; }

private:
    Movie fMovie;
};

enum class MovieStep { Ran, Desynced, Ended };

// Plays a movie back on a machine.
class MoviePlayer {
public:
    explicit MoviePlayer(Movie movie) : fMovie(std::move(movie)) {}
    // Puts the machine where the movie starts.
    void begin(Machine& machine);
    // Runs the next frame with its recorded input and checks its picture when
    // it is one the movie has a hash of: Desynced when it differs (once;
    // later frames still run), Ended (nothing run) after the last frame.
    MovieStep runFrame(Machine& machine);
    uint32_t framesPlayed() const { return fNext; }
    uint32_t frames() const { return static_cast<uint32_t>(fMovie.inputs.size()); }

private:
    Movie fMovie;
    uint32_t fNext = 0;
    bool fDesynced = false;
};
