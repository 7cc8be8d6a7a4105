// Input movies: the inputs of every frame from power-on or from a state, and
// a hash of the picture every few frames, so that playing them back shows
// exactly the frames the recording showed, and says where it does not.
//
// The file is written as the frames are recorded, a block of frames at a
// time, so that a recording cut short (the program killed, the machine
// down) leaves a movie of its frames up to its last whole block. Every
// number is little-endian and of fixed width:
//   header (40 bytes)
//     magic "BVMOVIE" 0x1A (8), format version (u32, 2), ROM-set hash (u64,
//     as save states carry it), start kind (u8: 0 power-on, 1 a state),
//     service mode at power-on (u8, 0 or 1; 0 from a state), reserved (u16,
//     0), picture-hash interval N (u32, 1 to 3600 frames), state length
//     (u32: 0 from power-on, else the save-state image's length), then the
//     two fields written when the recording ends: frame count F (u32, at
//     most kMostMovieFrames; kMovieFramesUnknown until then) and CRC-32 of
//     the header's bytes 0-35 (u32; 0 until then)
//   the start
//     the save-state image the movie starts from (save_state.h), if any,
//     and a CRC (u32)
//   blocks of kMovieBlockFrames frames (the last of a movie whose count is
//   known may hold fewer), each
//     each frame's input (u16): bits 0-11 the board's keys held (Up, Down,
//     Left, Right, Left Alt, Space, Left Shift, the top row's 1 to 5), bits
//     12-13 the speed (0 60 fps, 1 30 fps, 2 unlimited), bits 14-15 0;
//     the hashes of the pictures after the block's frames N, 2N, ... (u64,
//     64-bit FNV-1a over the pixels' 16-bit values, low byte first);
//     a CRC (u32).
// Each CRC (start and blocks) is the CRC-32 of the header's bytes 0-31 and
// of every byte after the header before it, the earlier CRCs left out: a
// block checks the header and everything before it.
//
// Version 1, still read: the same first 24 bytes, then F (u32), N (u32),
// the state length (u32), the CRC-32 of everything after the header (u32),
// the state, all F inputs, then all F / N hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "machine.h"

constexpr uint8_t kMovieMagic[8] = {'B', 'V', 'M', 'O', 'V', 'I', 'E', 0x1A};
constexpr uint32_t kMovieFormatVersion = 2;
constexpr size_t kMovieHeaderSize = 40;
constexpr uint32_t kMostMovieFrames = 24u * 3600 * 60;  // a day at 60 fps
constexpr uint32_t kMovieHashInterval = 60;
constexpr uint32_t kMovieBlockFrames = 60;                // a second at 60 fps
constexpr uint32_t kMovieFramesUnknown = 0xFFFFFFFF;      // the frame count while recording
constexpr size_t kMovieEndFieldsAt = 32;                  // the frame count and the header's CRC
constexpr size_t kMovieEndFieldsSize = 8;
// The largest file a movie can be.
constexpr size_t kLargestMovie = kMovieHeaderSize + save_state::kImageSize + 4 + 2 * size_t{kMostMovieFrames} +
                                 8 * size_t{kMostMovieFrames} + 4 * size_t{kMostMovieFrames / kMovieBlockFrames};

struct Movie {
    uint64_t romSetHash = 0;
    bool fromState = false;
    bool serviceMode = false;  // at power-on
    BoardState state{};        // where it starts, when fromState
    uint32_t hashInterval = kMovieHashInterval;
    std::vector<FrameInput> inputs;        // one a frame
    std::vector<uint64_t> pictureHashes;   // after frames N, 2N, ...
    // Read from a file whose recording never ended: its frames up to its
    // last whole block.
    bool cutShort = false;
};

// The file's bytes of a whole movie.
std::vector<uint8_t> encodeMovie(const Movie& movie);
// Checks a file completely against the ROM set with hash `romSetHash`; on
// success fills `movie`, else `error` holds one line (no newline) and
// `movie` is as it was. A file whose recording never ended is read up to its
// last whole block, with cutShort set.
bool decodeMovie(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error);

// The hash a movie keeps of a picture.
uint64_t pictureHash(const uint16_t* picture);

// A movie's file made as its frames come: its header and start at once, then
// a block each time one is full, then its end.
class MovieWriter {
public:
    // A new movie of the start `start` holds (its frames are not looked at):
    // the header, its frame count unknown, and the start are pending.
    void begin(const Movie& start);
    // Whether the movie keeps the hash of the next frame's picture.
    bool hashWanted() const { return (fFrames + 1) % fInterval == 0; }
    // Adds a frame, with the hash of its picture when hashWanted() was set.
    void add(const FrameInput& input, uint64_t pictureHash);
    uint32_t frames() const { return fFrames; }
    // The movie ends: its last block, if any, is pending, and `endFields`
    // gets what the header holds at kMovieEndFieldsAt.
    void end(uint8_t (&endFields)[kMovieEndFieldsSize]);
    // The bytes made since the last take, and how many frames all the bytes
    // taken so far hold.
    std::vector<uint8_t> take();
    uint32_t framesTaken() const { return fFramesTaken; }

private:
    void closeBlock();

    uint8_t fHeader[kMovieEndFieldsAt] = {};
    uint32_t fInterval = kMovieHashInterval;
    uint32_t fFrames = 0, fFramesTaken = 0, fFramesPending = 0;
    uint32_t fCrc = 0;                    // of the header's first bytes and the body so far
    std::vector<uint8_t> fBlock;          // the frames' inputs of the block under way
    std::vector<uint8_t> fBlockHashes;    // and its hashes
    std::vector<uint8_t> fPending;        // made, not taken
};

// Records a movie of the frames a machine runs, as its file's bytes.
class MovieRecorder : public MovieWriter {
public:
    explicit MovieRecorder(uint32_t hashInterval = kMovieHashInterval) : fHashInterval(hashInterval) {}
    // From power-on: powers `machine` on (in service mode or not) and resets it.
    void beginAtPowerOn(Machine& machine, bool serviceMode);
    // From the machine as it stands, which the movie embeds.
    void beginHere(const Machine& machine);
    // After each frame: its input and the picture it left. A frame after
    // the most a movie holds is not kept.
    void frameRan(const FrameInput& input, const uint16_t* picture);
    bool full() const { return frames() >= kMostMovieFrames; }

private:
    uint32_t fHashInterval;
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
    bool cutShort() const { return fMovie.cutShort; }

private:
    Movie fMovie;
    uint32_t fNext = 0;
    bool fDesynced = false;
};
