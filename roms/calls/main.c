/* The call-heavy workload program: runs the workload the number of times
   the ROM's parameter block asks for and leaves the result of the last run
   in the block at the start of work RAM, then sleeps. */
#include "board_io.h"
#include "calls_abi.h"
#include "workload.h"

__attribute__((section(".params"), used)) const struct calls_params params = {CALLS_PARAMS_MAGIC, 1};
__attribute__((section(".fixed"))) volatile struct calls_block block;

/* The board's interrupt chain runs all along; the handlers acknowledge and
   feed the watchdog. */
__attribute__((interrupt_handler)) void irq_level4(void) {
    ACK_LEVEL4 = 0;
    WATCHDOG = 0;
}
__attribute__((interrupt_handler)) void irq_level3(void) { ACK_LEVEL3 = 0; }
__attribute__((interrupt_handler)) void irq_level2(void) { ACK_LEVEL2 = 0; }

int main(void) {
    start_frame_interrupts();
    block.magic = CALLS_MAGIC;
    /* Read as volatile: a host may have patched the ROM. */
    const uint32_t iterations = ((const volatile struct calls_params*)&params)->iterations;
    for (uint32_t i = 0; i < iterations; ++i) {
        block.result = calls_workload(0);
        block.iterations = i + 1;
    }
    block.done = 1;
    for (;;) wait_interrupt();
}
