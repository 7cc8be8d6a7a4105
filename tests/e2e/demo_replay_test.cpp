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

// What `recorder` made: the file that a recording killed now leaves (its
// whole blocks), and the whole file that its end makes.
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> recordedFiles(MovieRecorder& recorder) {
    std::vector<uint8_t> cut = recorder.take(), whole = cut;
    uint8_t endFields[kMovieEndFieldsSize];
    recorder.end(endFields);
    const std::vector<uint8_t> rest = recorder.take();
    whole.insert(whole.end(), rest.begin(), rest.end());
    std::copy(std::begin(endFields), std::end(endFields), whole.begin() + kMovieEndFieldsAt);
    return {cut, whole};
}

// Plays the movie in `file` through; the hash of each frame, and the frame
// of the first desync (0: none).
std::vector<uint64_t> playMovie(const std::vector<uint8_t>& file, uint32_t& desyncedAt, bool cutShort = false) {
    Movie movie;
    std::string error;
    EXPECT_TRUE(decodeMovie(file.data(), file.size(), board().romSetHash(), movie, error)) << error;
    EXPECT_EQ(movie.cutShort, cutShort);
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
// the next picture hash. A recording killed in the middle of writing a block
// plays to its last whole block.
TEST_F(DemoReplay, MoviesPlayBackAsRecordedAndAChangedInputIsCaught) {
    for (bool fromState : {false, true}) {
        play(randomInputs(500, 3));
        MovieRecorder recorder;
        fromState ? recorder.beginHere(board()) : recorder.beginAtPowerOn(board(), false);
        const std::vector<uint64_t> recorded = play(randomInputs(fromState ? 630 : kLongRun, 9), 0, nullptr, &recorder);
        auto [cut, whole] = recordedFiles(recorder);
        play(randomInputs(200, 5));
        uint32_t desyncedAt = 0;
        EXPECT_EQ(playMovie(whole, desyncedAt), recorded) << "from a state: " << fromState;
        EXPECT_EQ(desyncedAt, 0u);
        if (!fromState) continue;
        cut.insert(cut.end(), whole.begin() + cut.size(), whole.begin() + cut.size() + 5);
        EXPECT_EQ(playMovie(cut, desyncedAt, true), std::vector<uint64_t>(recorded.begin(), recorded.begin() + 600));
        EXPECT_EQ(desyncedAt, 0u);
        Movie changed;
        std::string error;
        ASSERT_TRUE(decodeMovie(whole.data(), whole.size(), board().romSetHash(), changed, error)) << error;
        changed.inputs[150].keys.hold(kKey4);  // another theme (random inputs never press 4)
        playMovie(encodeMovie(changed), desyncedAt);
        EXPECT_GT(desyncedAt, 150u);
        EXPECT_EQ(desyncedAt % kMovieHashInterval, 0u);
    }
}

// A recording stops at the most frames a movie holds, and its file plays.
TEST_F(DemoReplay, ARecordingStopsAtTheMostFramesAMovieHolds) {
    MovieRecorder recorder(3600);  // a picture hash an hour, to keep the test short
    recorder.beginAtPowerOn(board(), false);
    for (uint32_t f = 0; f <= kMostMovieFrames; ++f) recorder.frameRan({}, board().picture());
    EXPECT_TRUE(recorder.full());
    const std::vector<uint8_t> file = recordedFiles(recorder).second;
    Movie movie;
    std::string error;
    ASSERT_TRUE(decodeMovie(file.data(), file.size(), board().romSetHash(), movie, error)) << error;
    EXPECT_EQ(movie.inputs.size(), kMostMovieFrames);
}

// Sets a field (little-endian).
void set(std::vector<uint8_t>& file, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
// Sets the CRC at `at` to that of the (offset, length) pieces of the file.
void setCrc(std::vector<uint8_t>& file, size_t at, std::initializer_list<std::pair<size_t, size_t>> pieces) {
    uLong crc = 0;
    for (const auto& [from, length] : pieces) crc = crc32(crc, file.data() + from, uInt(length));
    set(file, at, crc, 4);
}

TEST_F(DemoReplay, EveryDamagedMovieIsRefusedWithItsOneLine) {
    MovieRecorder recorder;
    play(randomInputs(20, 1));
    recorder.beginHere(board());
    play(randomInputs(130, 2), 0, nullptr, &recorder);
    const std::vector<uint8_t> good = recordedFiles(recorder).second;
    const size_t state = 40 + save_state::kImageSize, inputs = state + 4;
    const auto mendHeader = [](auto& f) { setCrc(f, 36, {{0, 36}}); };
    const auto cutShort = [](auto& f) { set(f, 32, kMovieFramesUnknown, 4), set(f, 36, 0, 4); };
    const std::pair<std::string, std::function<void(std::vector<uint8_t>&)>> cases[] = {
        {"it is too short to be a movie (39 bytes)", [](auto& f) { f.resize(39); }},
        {"it is not a movie (no BVMOVIE signature)", [](auto& f) { f[3] = 'X'; }},
        {"its format version is 3; this program reads versions 1 and 2", [](auto& f) { set(f, 8, 3, 4); }},
        {"its start kind is 2 (0 power-on or 1 a state)", [&](auto& f) { f[20] = 2, mendHeader(f); }},
        {"its service mode byte is not valid", [&](auto& f) { f[21] = 1, mendHeader(f); }},
        {"its reserved header bytes are not 0", [&](auto& f) { f[23] = 1, mendHeader(f); }},
        {"its picture-hash interval is 0 frames (1 to 3600)", [&](auto& f) { set(f, 24, 0, 4), mendHeader(f); }},
        {"its state length 0 does not fit its start kind", [&](auto& f) { set(f, 28, 0, 4), mendHeader(f); }},
        {"it has 5184001 frames, over the most a movie has", [&](auto& f) { set(f, 32, 5184001, 4), mendHeader(f); }},
        {"its length is " + std::to_string(good.size() + 1) + " bytes, not the " + std::to_string(good.size()) +
             " its header gives",
         [](auto& f) { f.push_back(0); }},
        {"its recording was cut short before its first frame", [&](auto& f) { f.resize(state), cutShort(f); }},
        {"its CRC does not match (frames 121 to 130): the file is damaged", [](auto& f) { f.back() ^= 1; }},
        // Header fields whose change another value would fit, finished or not.
        {"its CRC does not match: the file is damaged", [](auto& f) { set(f, 24, 61, 4); }},
        {"its CRC does not match: the file is damaged", [&](auto& f) { set(f, 24, 61, 4), cutShort(f); }},
        {"its CRC does not match: the file is damaged", [](auto& f) { f[12] ^= 1; }},
        {"its starting state is refused: ",
         [&](auto& f) { f[40 + 8] = 9, setCrc(f, state, {{0, 32}, {40, state - 40}}); }},
        {"the input of frame 3 is not valid",
         [&](auto& f) { f[inputs + 5] = 0x30, setCrc(f, inputs + 128, {{0, 32}, {40, state - 40}, {inputs, 128}}); }},
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
    std::string error;
    Movie movie;
    EXPECT_FALSE(decodeMovie(good.data(), good.size(), board().romSetHash() ^ 1, movie, error));
    EXPECT_EQ(error, "it was recorded with another ROM set");
}

// A movie of the first version, as its writer made it, is still read.
TEST(MovieFile, TheFirstVersionIsStillRead) {
    const uint8_t file[] = {
        0x42, 0x56, 0x4D, 0x4F, 0x56, 0x49, 0x45, 0x1A, 0x01, 0x00, 0x00, 0x00, 0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45,
        0x23, 0x01, 0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x23, 0xCA, 0x57, 0xBA, 0x01, 0x00, 0x20, 0x18, 0x00, 0x20, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    Movie movie;
    std::string error;
    ASSERT_TRUE(decodeMovie(file, sizeof file, 0x0123456789ABCDEFull, movie, error)) << error;
    EXPECT_TRUE(!movie.fromState && movie.serviceMode && !movie.cutShort && movie.hashInterval == 2);
    EXPECT_EQ(movie.pictureHashes, std::vector<uint64_t>{0x1122334455667788ull});
    ASSERT_EQ(movie.inputs.size(), 3u);
    EXPECT_TRUE(movie.inputs[0].keys.held(kKeyUp) && movie.inputs[0].speed == Speed::Fps60);
    EXPECT_TRUE(movie.inputs[1].keys.held(kKeySpace) && movie.inputs[1].keys.held(kKey5));
    EXPECT_EQ(movie.inputs[1].speed, Speed::Fps30);
    EXPECT_EQ(movie.inputs[2].speed, Speed::Unlimited);
}

// Going back lands where the forward run was (reverse_oracle.h), also from a state loaded mid-play.
TEST_F(DemoReplay, GoingBackLandsWhereTheForwardRunWas) {
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(kLongRun / 66, 5), kLongRun / 20, 33), int(kLongRun / 20));
    BoardState loaded{};
    board().capture(loaded);
    powerOn(false);
    board().restore(loaded);
    EXPECT_EQ(checkReverseAgainstForwardRun(randomInputs(kLongRun / 250, 6), kLongRun / 50, 34), int(kLongRun / 50));
}

}  // namespace
}  // namespace e2e
