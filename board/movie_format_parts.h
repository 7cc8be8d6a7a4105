// What the movie file's versions share (the layouts are in movie.h): numbers,
// the frames' input words, and the checks of the fields both headers hold.
#pragma once

#include <string>

#include "movie.h"

namespace movie_format {

void put(std::vector<uint8_t>& out, uint64_t value, int bytes);
uint64_t get(const uint8_t* at, int bytes);
// `crc` carried on over `size` bytes (none: as it was; zlib would start afresh
// on a null pointer).
uint32_t crcOn(uint32_t crc, const uint8_t* bytes, size_t size);

uint16_t inputWord(const FrameInput& input);
// False when the word is not one a movie holds.
bool readInput(uint16_t word, FrameInput& input);

// The header's fields, from either version.
struct Head {
    uint8_t start = 0, service = 0;
    uint64_t frames = 0, interval = 0, stateLength = 0;
    bool framesKnown = true;
};
// Checks the fields against one another; else false with `error` saying why.
bool checkHead(const uint8_t* bytes, const Head& head, std::string& error);
// Reads the state the movie starts from, if any, into `movie` with the other
// header fields; else false with `error` saying why.
bool readStart(const uint8_t* state, const Head& head, uint64_t romSetHash, Movie& movie, std::string& error);
// Reads `count` input words from `at` into `movie`, frame `first` the first;
// else false with `error` naming the frame that is not valid.
bool readInputs(const uint8_t* at, uint64_t first, uint64_t count, Movie& movie, std::string& error);

// Version 1's reader (movie_format_v1.cpp), the magic and version checked.
bool decodeVersion1(const uint8_t* bytes, size_t size, uint64_t romSetHash, Movie& movie, std::string& error);

}  // namespace movie_format
