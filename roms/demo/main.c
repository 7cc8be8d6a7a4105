/* The demo program: starts the board's interrupt chain, sets up the colours
   and then builds one frame each time vector 28 arrives, before the second
   third of every frame: the sprite list is complete two thirds of a frame
   later, when the board draws it. In service mode it shows the input test
   screen instead. */
#include "board_io.h"
#include "palette.h"
#include "scene.h"
#include "service.h"
#include "status.h"

/* Cleared by the start-up code, placed at DEMO_STATUS_ADDRESS by the linker. */
__attribute__((section(".fixed"))) volatile struct demo_status status;

/* The board offers one interrupt before each third of a frame; each
   handler acknowledges at its own port, which selects the next vector:
   28, 27, 26, 28, ... Vector 28 starts a frame. */
__attribute__((interrupt_handler)) void irq_level4(void) {
    ACK_LEVEL4 = 0;
    status.level4++;
}

/* Vector 27 moves the colours. */
__attribute__((interrupt_handler)) void irq_level3(void) {
    ACK_LEVEL3 = 0;
    status.level3++;
    palette_animate(status.level4, scene_boost());
}

__attribute__((interrupt_handler)) void irq_level2(void) {
    ACK_LEVEL2 = 0;
    status.level2++;
}

int main(void) {
    start_frame_interrupts();
    PALETTE[0] = RGB(1, 2, 7); /* after a reset every drawing colour is white */
    const int service = INPUT_BYTE(1) == 0x00;
    status.service = (uint32_t)service;
    status.magic = DEMO_STATUS_MAGIC;
    palette_init();
    scene_init();

    uint32_t seen = status.level4;
    for (;;) {
        while (status.level4 == seen) wait_interrupt();
        seen = status.level4;
        const uint32_t frame = ++status.frame;
        WATCHDOG = (uint16_t)frame;
        if (service)
            service_frame(&status);
        else
            scene_frame(INPUT_BYTE(0), INPUT_BYTE(4), frame);
        status.drawn = frame;
    }
}
