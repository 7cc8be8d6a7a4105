#include "reverse_oracle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board_session.h"
#include "reverse_search.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace e2e {
namespace {

constexpr int kWatched = 4;  // candidate addresses watched for writes

struct Place {
    uint32_t pc;
    bool instruction;   // an instruction runs from here (else an interrupt is taken)
    uint8_t writes;     // the candidates it writes (bit i: candidate i)
};
struct Frame {
    BoardState start{};
    std::vector<Place> places;
};

// States are compared whole: each is zero-initialised before its capture, so
// that its padding compares equal too.
bool sameState(const BoardState& a, const BoardState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
BoardState captured() {
    BoardState state{};
    board().capture(state);
    return state;
}

bool idle() { return _s68000context.interrupts[0] & 1; }

// The forward run's step from a place: a due interrupt taken, or one
// instruction (true).
bool forwardStep() {
    const uint32_t before = s68000readOdometer(), pc = _s68000context.pc;
    s68000flushInterrupts();
    if (s68000readOdometer() != before || _s68000context.pc != pc) return false;
    s68000exec(1);
    return true;
}

// Runs frame `keys` from where the board stands up to its place `p` (or its end).
void stepPlaces(const KeyStates& keys, size_t p) {
    size_t index = 0;
    board().runFrameStepping(keys, [&] {
        if (idle()) return s68000exec(1), true;  // a cycle passes; no place
        return index++ < p && (forwardStep(), true);
    });
}

}  // namespace

int checkReverseAgainstForwardRun(const std::vector<KeyStates>& inputs, int queries, unsigned seed) {
    std::mt19937 random(seed);
    Machine& machine = board();
    // The forward run, with the writes to a few work-RAM words watched.
    std::vector<Frame> frames(inputs.size());
    History history(HistoryLimits{.snapshotInterval = 8});
    history.start(machine);
    uint32_t watched[kWatched];
    for (uint32_t& a : watched) a = 0x100000 + 2 * std::uniform_int_distribution<uint32_t>(0, 0x1FF)(random);
    watched[0] = 0x100010;  // the demo's frame counter: written every frame
    for (uint32_t a : watched) s68000setWatchpoint(a, 2, S68000_WATCH_WRITE);
    for (size_t f = 0; f < inputs.size(); ++f) {
        const FrameInput input{inputs[f], Speed::Fps60};
        machine.capture(frames[f].start);
        machine.runFrameStepping(input.keys, [&] {
            if (idle()) return s68000exec(1), true;
            Place place{_s68000context.pc, false, 0};
            s68000armWatchpoints();
            place.instruction = forwardStep();
            s68000disarmWatchpoints();
            uint32_t address;
            int kinds;
            if (s68000takeWatchHit(&address, &kinds))
                for (int i = 0; i < kWatched; ++i)
                    if (address >= watched[i] && address < watched[i] + 2) place.writes |= uint8_t(1u << i);
            frames[f].places.push_back(place);
            return true;
        });
        // The frame run whole, as the program runs it, ends where the steps did.
        const BoardState stepped = captured();
        machine.restore(frames[f].start);
        machine.runFrame(input.keys, FrameRun{.draw = false});
        EXPECT_TRUE(sameState(stepped, captured())) << "frame " << f << " stepped differs from the frame run whole";
        history.frameRan(machine, input);
    }
    s68000clearWatchpoints();
    if (::testing::Test::HasFailure()) return 0;

    // The state at place `p` of frame `f`, from the forward run's record.
    const auto recorded = [&](size_t f, size_t p) {
        machine.restore(frames[f].start);
        stepPlaces(inputs[f], p);
        return captured();
    };
    int checked = 0;
    for (int q = 0; q < queries && !::testing::Test::HasFailure(); ++q) {
        // Where the query starts: a random place of a random frame.
        History past = history;
        const size_t f = std::uniform_int_distribution<size_t>(1, frames.size() - 1)(random);
        const size_t p = std::uniform_int_distribution<size_t>(0, frames[f].places.size() - 1)(random);
        past.goTo(machine, f);
        stepPlaces(inputs[f], p);
        // What to ask, and where the forward run says it must land.
        const bool hit = q % 2;
        size_t ef = f, ep = p;
        bool expectFound = true;
        int steps = 1;
        if (!hit) {
            steps = std::uniform_int_distribution<int>(1, 4)(random);
            for (int s = 0; s < steps; ++s) {
                while (ep == 0 && ef > 0) ep = frames[--ef].places.size();
                if (ep == 0) expectFound = false;
                else --ep;
            }
        } else {
            // A breakpoint at a PC executed earlier, or a watched candidate.
            const size_t back = std::uniform_int_distribution<size_t>(0, 3000)(random);
            size_t bf = f, bp = p;
            for (size_t b = 0; b < back && !(bf == 0 && bp == 0); ++b)
                if (bp == 0) bp = frames[--bf].places.size() - 1;
                else --bp;
            const bool byWatch = q % 4 == 3;
            const int candidate = std::uniform_int_distribution<int>(0, kWatched - 1)(random);
            const uint32_t pc = frames[bf].places[bp].pc;
            if (byWatch) s68000setWatchpoint(watched[candidate], 2, S68000_WATCH_WRITE);
            else s68000setBreakpoint(pc);
            // The latest earlier place whose instruction meets it, or none.
            expectFound = false;
            for (size_t sf = f + 1, sp; sf-- > 0 && !expectFound;)
                for (sp = sf == f ? p : frames[sf].places.size(); sp-- > 0 && !expectFound;) {
                    const Place& at = frames[sf].places[sp];
                    if (at.instruction && (byWatch ? at.writes >> candidate & 1 : at.pc == pc))
                        expectFound = true, ef = sf, ep = sp;
                }
        }
        ReverseLanding landing;
        FrameInput current{inputs[f], Speed::Fps60};
        for (int s = 0; s < steps; ++s) {
            landing = reverseSearch(machine, past, current, hit ? ReverseGoal::Hit : ReverseGoal::Step);
            current = landing.input;
        }
        const BoardState landed = captured();
        machine.finishFrame(landing.point);
        const BoardState ranOn = captured();
        s68000clearBreakpoints();
        s68000clearWatchpoints();
        if (!expectFound) ef = 0, ep = 0;
        const std::string where = "query " + std::to_string(q) + " from " + std::to_string(f) + ":" +
                                  std::to_string(p) + ", expected " + std::to_string(ef) + ":" + std::to_string(ep);
        EXPECT_EQ(landing.found, expectFound) << where;
        EXPECT_TRUE(sameState(landed, recorded(ef, ep))) << where;
        if (ef + 1 < frames.size()) EXPECT_TRUE(sameState(ranOn, frames[ef + 1].start)) << where << ": ran on";
        ++checked;
    }
    return checked;
}

}  // namespace e2e
