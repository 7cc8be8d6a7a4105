// Taking the machine's state out of the CPU context and the board's memories,
// and putting it back. Between slices the core keeps nothing of its own that
// a state needs: its working fields are set afresh by every s68000exec, and
// pending interrupts and the stopped flag live in the context record.
#include <cstring>

#include "board.h"
#include "s68000_debug.h"
#include "save_state.h"

namespace {

constexpr uint16_t kSupervisor = 0x2000;  // SR's S bit

// RAM images hold each 68000 word as one host-order 16-bit value.
template <size_t N>
void wordsFromImage(uint16_t (&words)[N], const unsigned char* image) {
    std::memcpy(words, image, sizeof words);
}
template <size_t N>
void wordsToImage(unsigned char* image, const uint16_t (&words)[N]) {
    std::memcpy(image, words, sizeof words);
}

}  // namespace

void pm_captureState(BoardState& state, Speed speed) {
    s68000context context;
    s68000GetContext(&context);
    std::memcpy(state.dreg, context.dreg, sizeof state.dreg);
    std::memcpy(state.areg, context.areg, sizeof state.areg);
    state.asp = context.asp;
    state.pc = context.pc;
    state.odometer = context.odometer;
    std::memcpy(state.interrupts, context.interrupts, sizeof state.interrupts);
    state.sr = context.sr;

    wordsFromImage(state.workRam, onboardRam);
    wordsFromImage(state.spriteRam, spriteRam);
    std::memcpy(state.paletteRam, _dynamicPalette, sizeof state.paletteRam);
    std::memcpy(state.drawingPalette, dynamicPalette, sizeof state.drawingPalette);
    std::memcpy(state.inputPorts, IOBuf, sizeof state.inputPorts);
    state.nextInterrupt = NextInterrupt;
    state.interruptEnable = interruptEnable;
    state.irq4Ack = IRQ4ACK;
    state.irq3Ack = IRQ3ACK;
    state.irq2Ack = IRQ2ACK;
    std::memcpy(&state.watchdog, watchDogReset, sizeof state.watchdog);
    state.testMode = testMode;
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
    std::memcpy(context.dreg, state.dreg, sizeof context.dreg);
    std::memcpy(context.areg, state.areg, sizeof context.areg);
    context.areg[7] = state.asp;
    context.asp = state.areg[7];
    context.pc = state.pc;
    context.odometer = state.odometer;
    std::memcpy(context.interrupts, state.interrupts, sizeof context.interrupts);
    context.sr = state.sr ^ kSupervisor;
    s68000SetContext(&context);
    s68000setSR(state.sr);

    wordsToImage(onboardRam, state.workRam);
    wordsToImage(spriteRam, state.spriteRam);
    std::memcpy(_dynamicPalette, state.paletteRam, sizeof _dynamicPalette);
    std::memcpy(dynamicPalette, state.drawingPalette, sizeof dynamicPalette);
    std::memcpy(IOBuf, state.inputPorts, sizeof IOBuf);
    NextInterrupt = state.nextInterrupt;
    interruptEnable = state.interruptEnable;
    IRQ4ACK = state.irq4Ack;
    IRQ3ACK = state.irq3Ack;
    IRQ2ACK = state.irq2Ack;
    std::memcpy(watchDogReset, &state.watchdog, sizeof state.watchdog);
    testMode = state.testMode;
    cpucycles_by_frame.store(cyclesPerFrame(state.speed), std::memory_order_relaxed);

    pm_drawFrame();
}
