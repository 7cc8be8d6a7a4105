// Movies on the demo: what was recorded plays back frame for frame, from
// power-on and from a state, a changed input is caught at a picture hash,
// and every damaged file is refused with its one line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <vector>

#include "board_session.h"
#include "movie.h"

namespace e2e {
namespace {

// Records `inputs` (the movie begun already); the hash of each frame.
std::vector<uint64_t> record(MovieRecorder& recorder, const std::vector<KeyStates>& inputs) {
    std::vector<uint64_t> hashes;
    for (const KeyStates& keys : inputs) {
        recorder.frameRan({keys, board().speed()}, board().runFrame(keys));
        hashes.push_back(frameHash());
    }
    return hashes;
}

// Plays the file through; the hash of each frame, and the frame of the first desync (0: none).
std::vector<uint64_t> play(const std::vector<uint8_t>& file, uint32_t& desyncedAt) {
    Movie movie;
    std::string error;
    EXPECT_TRUE(decodeMovie(file.data(), file.size(), board().romSetHash(), movie, error)) << error;
    MoviePlayer player(std::move(movie));
    player.begin(board());
    std::vector<uint64_t> hashes;
    desyncedAt = 0;
    for (MovieStep step; (step = player.runFrame(board())) != MovieStep::Ended;) {
        if (step == MovieStep::Desynced && !desyncedAt) desyncedAt = player.framesPlayed();
        hashes.push_back(frameHash());
    }
    return hashes;
}

class DemoMovies : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startBoard(DEMO_ROM_BASE));
        powerOn(false);
    }
};

TEST_F(DemoMovies, TenThousandRandomFramesFromPowerOnPlayBackAsRecorded) {
    board().runFrame(KeyStates{});  // whatever ran before, the movie starts at power-on
    MovieRecorder recorder;
    recorder.beginAtPowerOn(board(), false);
    const std::vector<uint64_t> recorded = record(recorder, randomInputs(10000, 11));
    uint32_t desyncedAt = 0;
    EXPECT_EQ(play(encodeMovie(recorder.movie()), desyncedAt), recorded);
    EXPECT_EQ(desyncedAt, 0u);
}

TEST_F(DemoMovies, AMovieFromAStatePlaysTheSameAfterOtherPlay) {
    record(*std::make_unique<MovieRecorder>(), randomInputs(500, 3));
    MovieRecorder recorder;
    recorder.beginHere(board());
    const std::vector<uint64_t> recorded = record(recorder, randomInputs(600, 4));
    record(*std::make_unique<MovieRecorder>(), randomInputs(200, 5));  // elsewhere meanwhile
    uint32_t desyncedAt = 0;
    EXPECT_EQ(play(encodeMovie(recorder.movie()), desyncedAt), recorded);
    EXPECT_EQ(desyncedAt, 0u);
}

TEST_F(DemoMovies, AChangedInputIsCaughtAtTheNextPictureHash) {
    MovieRecorder recorder;
    recorder.beginAtPowerOn(board(), false);
    record(recorder, randomInputs(600, 9));
    Movie changed = recorder.movie();
    changed.inputs[150].keys.hold(kKey4);  // another theme (the recording never pressed 4)
    uint32_t desyncedAt = 0;
    play(encodeMovie(changed), desyncedAt);
    EXPECT_GT(desyncedAt, 150u);
    EXPECT_EQ(desyncedAt % kMovieHashInterval, 0u);
}

// Sets a header field (little-endian) and, when asked, mends the CRC.
void set(std::vector<uint8_t>& file, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
void mendCrc(std::vector<uint8_t>& file) {
    set(file, 36, crc32(0, file.data() + 40, static_cast<uInt>(file.size() - 40)), 4);
}

TEST_F(DemoMovies, EveryDamagedFileIsRefusedWithItsOneLine) {
    MovieRecorder recorder;
    record(recorder, randomInputs(20, 1));
    recorder.beginHere(board());
    record(recorder, randomInputs(130, 2));
    const std::vector<uint8_t> good = encodeMovie(recorder.movie());
    const size_t inputs = 40 + save_state::kImageSize;
    struct Case {
        std::string expected;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const Case cases[] = {
        {"it is too short to be a movie (39 bytes)", [](auto& f) { f.resize(39); }},
        {"it is not a movie (no BVMOVIE signature)", [](auto& f) { f[3] = 'X'; }},
        {"its format version is 2; this program reads version 1", [](auto& f) { set(f, 8, 2, 4); }},
        {"it was recorded with another ROM set", [](auto& f) { f[12] ^= 1; }},
        {"its start kind is 2 (0 power-on or 1 a state)", [](auto& f) { f[20] = 2; }},
        {"its service mode byte is not valid", [](auto& f) { f[21] = 1; }},
        {"its reserved header bytes are not 0", [](auto& f) { f[23] = 1; }},
        {"it has 5184001 frames, over the most a movie has", [](auto& f) { set(f, 24, 5184001, 4); }},
        {"its picture-hash interval is 0 frames (1 to 3600)", [](auto& f) { set(f, 28, 0, 4); }},
        {"its state length 0 does not fit its start kind", [](auto& f) { set(f, 32, 0, 4); }},
        {"its length is " + std::to_string(good.size() + 1) + " bytes, not the " + std::to_string(good.size()) +
             " its header gives",
         [](auto& f) { f.push_back(0); }},
        {"its CRC does not match: the file is damaged", [](auto& f) { f.back() ^= 1; }},
        {"its starting state is refused: ", [](auto& f) { f[40 + 8] = 9, mendCrc(f); }},
        {"the input of frame 3 is not valid", [&](auto& f) { f[inputs + 5] = 0x30, mendCrc(f); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = good;
        c.damage(file);
        Movie movie;
        movie.hashInterval = 7;
        std::string error;
        EXPECT_FALSE(decodeMovie(file.data(), file.size(), board().romSetHash(), movie, error)) << c.expected;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << error;
        EXPECT_EQ(movie.hashInterval, 7u) << "a refused file changed the movie";
    }
}

}  // namespace
}  // namespace e2e
