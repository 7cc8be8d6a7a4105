/* The demo program: sets up the colours, starts the board's interrupt
   chain and then draws one frame each time vector 28 arrives. In service
   mode it shows the input test screen instead. */
#include "board_io.h"
#include "palette.h"
#include "scene.h"
#include "service.h"

static volatile struct interrupt_counts counts;

/* The board offers one interrupt before each third of a frame; each
   handler acknowledges at its own port, which selects the next vector:
   28, 27, 26, 28, ... Vector 28 starts a frame. */
__attribute__((interrupt_handler)) void irq_level4(void) {
    ACK_LEVEL4 = 0;
    counts.level4++;
}

/* Vector 27 moves the colours. */
__attribute__((interrupt_handler)) void irq_level3(void) {
    ACK_LEVEL3 = 0;
    counts.level3++;
    palette_animate(counts.level4, scene_boost());
}

__attribute__((interrupt_handler)) void irq_level2(void) {
    ACK_LEVEL2 = 0;
    counts.level2++;
}

int main(void) {
    const int service = INPUT_BYTE(1) == 0x00;
    palette_init();
    scene_init();
    IRQ_ENABLE = 1; /* vector 28 comes before the next slice */
    interrupts_on();

    uint32_t seen = counts.level4;
    uint32_t frame = 0;
    for (;;) {
        while (counts.level4 == seen) wait_interrupt();
        seen = counts.level4;
        WATCHDOG = 0;
        ++frame;
        if (service)
            service_frame(frame, &counts);
        else
            scene_frame(INPUT_BYTE(0), INPUT_BYTE(4), frame);
    }
}
