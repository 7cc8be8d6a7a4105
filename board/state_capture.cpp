// Taking the machine's state out of the CPU context and the board's memories,
// and putting it back. Between slices the core keeps nothing of its own that
// a state needs: its working fields are set afresh by every s68000exec, and
// pending interrupts and the stopped flag live in the context record.
#include <cstring>
#include <utility>

#include "board.h"
#include "s68000_debug.h"
#include "save_state.h"

namespace {

constexpr uint16_t kSupervisor = 0x2000;  // SR's S bit

// A RAM image: each 68000 word one host-order 16-bit value, as the state
// holds it.
struct RamImage {
    unsigned char* at;
};

// Copies a field of the state from or to where the machine keeps it: a
// variable of the same size, or a RAM image.
struct Take {
    template <class T, class P>
    void operator()(T& field, P& place) const {
        static_assert(sizeof field == sizeof place);
        std::memcpy(&field, &place, sizeof field);
    }
    template <class T>
    void operator()(T& field, RamImage image) const { std::memcpy(&field, image.at, sizeof field); }
};
struct Put {
    template <class T, class P>
    void operator()(const T& field, P& place) const {
        static_assert(sizeof field == sizeof place);
        std::memcpy(&place, &field, sizeof field);
    }
    template <class T>
    void operator()(const T& field, RamImage image) const { std::memcpy(image.at, &field, sizeof field); }
};

// Each field of the state beside where the machine keeps it, for both ways:
// the 68000's in its context record (as the core's context has them), the
// rest in the board. The speed is not here: the caller runs the machine at
// it (the frame's cycle count).
template <class State, class Copy>
void forEachPlace(State& s, s68000context& c, Copy copy) {
    copy(s.dreg, c.dreg), copy(s.areg, c.areg), copy(s.asp, c.asp), copy(s.pc, c.pc);
    copy(s.odometer, c.odometer), copy(s.interrupts, c.interrupts), copy(s.sr, c.sr);
    copy(s.workRam, RamImage{onboardRam}), copy(s.spriteRam, RamImage{spriteRam});
    copy(s.paletteRam, _dynamicPalette), copy(s.drawingPalette, dynamicPalette), copy(s.inputPorts, IOBuf);
    copy(s.nextInterrupt, NextInterrupt), copy(s.interruptEnable, interruptEnable);
    copy(s.irq4Ack, IRQ4ACK), copy(s.irq3Ack, IRQ3ACK), copy(s.irq2Ack, IRQ2ACK);
    copy(s.watchdog, watchDogReset), copy(s.testMode, testMode);
}

}  // namespace

void pm_captureState(BoardState& state, Speed speed) {
    s68000context context;
    s68000GetContext(&context);
    forEachPlace(state, context, Take{});
    state.speed = speed;
}

void pm_restoreState(const BoardState& state) {
    // The registers come from the state; the region lists and the reset
    // handler stay as the board installed them. The current lists are the
    // set of the restored mode, which the core installs itself: the context
    // goes in as if in the other mode (S inverted, stack pointers swapped),
    // and the core's switch of SR swaps the stack pointers back and installs
    // the lists.
    s68000context context;
    s68000GetContext(&context);
    forEachPlace(state, context, Put{});
    std::swap(context.areg[7], context.asp);
    context.sr ^= kSupervisor;
    s68000SetContext(&context);
    s68000setSR(state.sr);
    cpucycles_by_frame.store(cyclesPerFrame(state.speed), std::memory_order_relaxed);

    pm_drawFrame();
}
