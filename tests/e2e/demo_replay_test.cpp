// The machine is deterministic, and its state, history and movies keep all
// of it, on the demo: a state loaded replays the frames that followed it
// exactly as they ran, and as a run that never saved; a history gives back
// every earlier frame and the same frames again from there; a movie plays
// back frame for frame, catches a changed input at a picture hash, and every
// damaged file is refused with its one line.
#include <zlib.h>

#include <functional>

#include "board_session.h"
#include "history.h"
#include "movie.h"
#include "reverse_oracle.h"
#include "save_state.h"
#include "scramble_machine.h"

namespace e2e {
namespace {

using DemoReplay = DemoSession;

// The long runs: ten thousand frames, a quarter of that under AddressSanitizer,
// where a frame costs seven times as much and what it looks for shows early.
#if __has_feature(address_sanitizer)
constexpr size_t kLongRun = 2500;
#else
constexpr size_t kLongRun = 10000;
#endif

// Runs `inputs[from...]`, keeping them in `history` and `movie` when given;
// the hash of each frame.
std::vector<uint64_t> play(const std::vector<KeyStates>& inputs, size_t from = 0, History* history = nullptr,
                           MovieRecorder* movie = nullptr) {
    std::vector<uint64_t> hashes;
    for (size_t f = from; f < inputs.size(); ++f) {
        const uint16_t* picture = board().runFrame(inputs[f]);
        if (history) history->frameRan(board(), {inputs[f], board().speed()});
        if (movie) movie->frameRan({inputs[f], board().speed()}, picture);
        hashes.push_back(frameHash());
    }
    return hashes;
}

// A state saved after N frames, loaded on a machine whose every part was
// changed, runs the next 120 frames as they ran after the save and as a run
// from power-on that never saved; it brings back service mode and speed.
TEST_F(DemoReplay, AStateReplaysTheFramesThatFollowedItAsARunThatNeverSaved) {
    const std::tuple<int, bool, Speed> cases[] = {
        {1, false, Speed::Fps60}, {37, false, Speed::Fps60}, {150, false, Speed::Fps60}, {40, true, Speed::Fps30}};
    for (const auto& [saveAt, service, speed] : cases) {
        SCOPED_TRACE("saved after frame " + std::to_string(saveAt));
        const std::vector<KeyStates> inputs = randomInputs(saveAt + 120, 31);
        powerOn(service);
        board().setSpeed(speed);
        play(std::vector<KeyStates>(inputs.begin(), inputs.begin() + saveAt));
        BoardState state;
        board().capture(state);
        const std::vector<uint8_t> image = encodeState(state, board().romSetHash());
        const std::vector<uint64_t> first = play(inputs, saveAt);
        EXPECT_NE(first.front(), first.back()) << "the game did not move";

        board().restore(scrambledState());
        board().setServiceMode(!service);
        board().setSpeed(speed == Speed::Fps60 ? Speed::Fps30 : Speed::Fps60);
        std::string error;
        ASSERT_TRUE(decodeState(image.data(), image.size(), board().romSetHash(), state, error)) << error;
        board().restore(state);
        EXPECT_EQ(std::make_pair(board().serviceMode(), board().speed()), std::make_pair(service, speed));
        EXPECT_EQ(play(inputs, saveAt), first);
        powerOn(service);
        board().setSpeed(speed);
        const std::vector<uint64_t> neverSaved = play(inputs);
        EXPECT_EQ(std::vector<uint64_t>(neverSaved.begin() + saveAt, neverSaved.end()), first) << "a run that never saved";
    }
}

// A long run of random frames kept: stepping back shows each earlier frame,
// the same keys from there give the same frames again, and so do all of
// them from the start of the history (within five minutes and the memory bound).
TEST_F(DemoReplay, AHistoryGivesBackEveryEarlierFrameAndTheSameFramesAgain) {
    const std::vector<KeyStates> inputs = randomInputs(kLongRun, 23);
    History history;
    history.start(board());
    const std::vector<uint64_t> first = play(inputs, 0, &history);
    for (size_t back = 1; back <= 300; ++back) {
        ASSERT_TRUE(history.stepBack(board()));
        ASSERT_EQ(history.now(), inputs.size() - back);
        ASSERT_EQ(frameHash(), first[inputs.size() - back - 1]) << back << " frames back";
    }
    EXPECT_EQ(play(inputs, inputs.size() - 300, &history), std::vector<uint64_t>(first.end() - 300, first.end()));
    EXPECT_EQ(history.now(), inputs.size());
    ASSERT_EQ(history.oldest(), 0u);
    ASSERT_TRUE(history.goTo(board(), 0));
    EXPECT_EQ(play(inputs), first);
}

TEST_F(DemoReplay, TheHistoryKeepsItsSecondsAndItsMemoryAndStopsAtItsStart) {
    const std::pair<HistoryLimits, uint64_t> cases[] = {  // limits, frames kept at least
        {{.seconds = 2, .framesPerSecond = 60, .bytes = size_t{64} << 20, .snapshotInterval = 4}, 120},
        {{.seconds = 300, .framesPerSecond = 60, .bytes = 96 * 1024, .snapshotInterval = 4}, 4},
    };
    for (const auto& [limits, framesKept] : cases) {
        powerOn(false);
        History history(limits);
        history.start(board());
        play(randomInputs(3000, 5), 0, &history);
        EXPECT_LE(history.bytes(), limits.bytes);
        EXPECT_GE(history.now() - history.oldest(), framesKept);
        EXPECT_LE(history.now() - history.oldest(), uint64_t{limits.seconds} * 60 + limits.snapshotInterval);
        while (history.stepBack(board())) {}
        EXPECT_EQ(history.now(), history.oldest());
        EXPECT_FALSE(history.goTo(board(), history.oldest() - 1));
    }
}

// Plays the movie through; the hash of each frame, and the frame of the
// first desync (0: none).
std::vector<uint64_t> playMovie(const Movie& recorded, uint32_t& desyncedAt) {
    const std::vector<uint8_t> file = encodeMovie(recorded);
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

// From power-on (whatever ran before) and from a state (with other play
// after it), the movie plays back as recorded; an input changed is caught at
// the next picture hash.
TEST_F(DemoReplay, MoviesPlayBackAsRecordedAndAChangedInputIsCaught) {
    for (bool fromState : {false, true}) {
        play(randomInputs(500, 3));
        MovieRecorder recorder;
        fromState ? recorder.beginHere(board()) : recorder.beginAtPowerOn(board(), false);
        const std::vector<uint64_t> recorded = play(randomInputs(fromState ? 600 : kLongRun, 9), 0, nullptr, &recorder);
        play(randomInputs(200, 5));
        uint32_t desyncedAt = 0;
        EXPECT_EQ(playMovie(recorder.movie(), desyncedAt), recorded) << "from a state: " << fromState;
        EXPECT_EQ(desyncedAt, 0u);
        if (!fromState) continue;
        Movie changed = recorder.movie();
        changed.inputs[150].keys.hold(kKey4);  // another theme (random inputs never press 4)
        playMovie(changed, desyncedAt);
        EXPECT_GT(desyncedAt, 150u);
        EXPECT_EQ(desyncedAt % kMovieHashInterval, 0u);
    }
}

// Sets a header field (little-endian); the CRC mended after the change.
void set(std::vector<uint8_t>& file, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
void mendCrc(std::vector<uint8_t>& file) { set(file, 36, crc32(0, file.data() + 40, uInt(file.size() - 40)), 4); }

TEST_F(DemoReplay, EveryDamagedMovieIsRefusedWithItsOneLine) {
    MovieRecorder recorder;
    play(randomInputs(20, 1));
    recorder.beginHere(board());
    play(randomInputs(130, 2), 0, nullptr, &recorder);
    const std::vector<uint8_t> good = encodeMovie(recorder.movie());
    const size_t inputs = 40 + save_state::kImageSize;
    const std::pair<std::string, std::function<void(std::vector<uint8_t>&)>> cases[] = {
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
    for (const auto& [expected, damage] : cases) {
        std::vector<uint8_t> file = good;
        damage(file);
        Movie movie;
        movie.hashInterval = 7;
        std::string error;
        EXPECT_FALSE(decodeMovie(file.data(), file.size(), board().romSetHash(), movie, error)) << expected;
        EXPECT_TRUE(error.starts_with(expected)) << error;
        EXPECT_EQ(movie.hashInterval, 7u) << "a refused file changed the movie";
    }
}

// Reverse steps and reverse continues from random places of 150 frames of
// play land where the forward run was, and the frame runs on from there as
// it ran (tests/e2e/reverse_oracle.h); also from a state loaded mid-play.
TEST_F(DemoReplay, GoingBackLandsWhereTheForwardRunWas) {
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(150, 5), kLongRun / 20, 33), int(kLongRun / 20));
    BoardState loaded{};
    board().capture(loaded);
    powerOn(false);
    board().restore(loaded);
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(40, 6), kLongRun / 50, 34), int(kLongRun / 50));
}

}  // namespace
}  // namespace e2e
