// A movie's file made as its frames come, and a whole movie's file (the
// layout is in movie.h).
#include <algorithm>
#include <cstring>
#include <utility>

#include "movie_format_parts.h"

using movie_format::crcOn;
using movie_format::put;

void MovieWriter::begin(const Movie& start) {
    fInterval = std::max<uint32_t>(1, start.hashInterval);
    fFrames = fFramesTaken = fFramesPending = 0;
    fBlock.clear();
    fBlockHashes.clear();
    std::vector<uint8_t> state;
    if (start.fromState) state = encodeState(start.state, start.romSetHash);
    fPending.assign(kMovieMagic, kMovieMagic + 8);
    put(fPending, kMovieFormatVersion, 4);
    put(fPending, start.romSetHash, 8);
    put(fPending, start.fromState ? 1 : 0, 1);
    put(fPending, !start.fromState && start.serviceMode ? 1 : 0, 1);
    put(fPending, 0, 2);
    put(fPending, fInterval, 4);
    put(fPending, state.size(), 4);
    std::memcpy(fHeader, fPending.data(), kMovieEndFieldsAt);
    put(fPending, kMovieFramesUnknown, 4);
    put(fPending, 0, 4);  // the header's CRC, once the frames are counted
    fCrc = crcOn(crcOn(0, fHeader, kMovieEndFieldsAt), state.data(), state.size());
    fPending.insert(fPending.end(), state.begin(), state.end());
    put(fPending, fCrc, 4);
}

void MovieWriter::add(const FrameInput& input, uint64_t pictureHash) {
    put(fBlock, movie_format::inputWord(input), 2);
    if (++fFrames % fInterval == 0) put(fBlockHashes, pictureHash, 8);
    if (fBlock.size() == 2 * kMovieBlockFrames) closeBlock();
}

void MovieWriter::closeBlock() {
    if (fBlock.empty()) return;
    fCrc = crcOn(crcOn(fCrc, fBlock.data(), fBlock.size()), fBlockHashes.data(), fBlockHashes.size());
    fPending.insert(fPending.end(), fBlock.begin(), fBlock.end());
    fPending.insert(fPending.end(), fBlockHashes.begin(), fBlockHashes.end());
    put(fPending, fCrc, 4);
    fBlock.clear();
    fBlockHashes.clear();
    fFramesPending = fFrames;
}

void MovieWriter::end(uint8_t (&endFields)[kMovieEndFieldsSize]) {
    closeBlock();
    std::vector<uint8_t> header(fHeader, fHeader + kMovieEndFieldsAt);
    put(header, fFrames, 4);
    put(header, crcOn(0, header.data(), header.size()), 4);
    std::memcpy(endFields, header.data() + kMovieEndFieldsAt, kMovieEndFieldsSize);
}

std::vector<uint8_t> MovieWriter::take() {
    fFramesTaken = fFramesPending;
    return std::exchange(fPending, {});
}

std::vector<uint8_t> encodeMovie(const Movie& movie) {
    MovieWriter writer;
    writer.begin(movie);
    for (size_t f = 0; f < movie.inputs.size(); ++f) {
        const size_t hash = (f + 1) / std::max<uint32_t>(1, movie.hashInterval) - 1;
        const bool kept = writer.hashWanted() && hash < movie.pictureHashes.size();
        writer.add(movie.inputs[f], kept ? movie.pictureHashes[hash] : 0);
    }
    uint8_t endFields[kMovieEndFieldsSize];
    writer.end(endFields);
    std::vector<uint8_t> file = writer.take();
    std::memcpy(file.data() + kMovieEndFieldsAt, endFields, kMovieEndFieldsSize);
    return file;
}
