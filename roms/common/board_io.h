/* The board as a 68000 program sees it: memories and ports. */
#ifndef BOARD_IO_H
#define BOARD_IO_H

#include <stdint.h>

#define WORK_RAM        ((volatile uint8_t*)0x100000)    /* 16 KiB */
#define WATCHDOG        (*(volatile uint16_t*)0x200000)  /* written once a frame */
#define SOUND_WORD      (*(volatile uint16_t*)0x300000)  /* the sound board's status */
#define SOUND_BYTE      (*(volatile uint8_t*)0x300001)
#define IRQ_ENABLE      (*(volatile uint16_t*)0x400000)  /* word write: vector 28 comes next */
#define INPUT_WORD(n)   (*(volatile uint16_t*)(0x500000 + (n)))
#define INPUT_BYTE(n)   (*(volatile uint8_t*)(0x500000 + (n)))
#define PALETTE         ((volatile uint16_t*)0x600000)   /* 256 words */
#define SPRITE_RAM      ((volatile uint16_t*)0x700000)   /* 480 entries of 8 words */
#define ACK_LEVEL4      (*(volatile uint16_t*)0x800000)  /* vector 28 done: 27 comes next */
#define ACK_LEVEL3      (*(volatile uint16_t*)0x900000)  /* vector 27 done: 26 comes next */
#define ACK_LEVEL2      (*(volatile uint16_t*)0xA00000)  /* vector 26 done: 28 comes next */

#define SPRITE_COUNT    480

/* Inputs are active low. Byte 0 (0x500000): */
#define IN_UP           0x01
#define IN_DOWN         0x02
#define IN_LEFT         0x04
#define IN_RIGHT        0x08
#define IN_BUTTON1      0x10
#define IN_BUTTON2      0x20
#define IN_BUTTON3      0x40
/* Byte 4 (0x500004): the keys 1-5. */
#define IN_KEY1         0x01
#define IN_KEY2         0x02
#define IN_KEY3         0x04
#define IN_KEY4         0x08
#define IN_KEY5         0x20
/* Byte 1 (0x500001) reads 0x00 in service mode. */

/* A palette word: red in bits 0-4, green 5-9, blue 10-14 (0-31 each). */
#define RGB(r, g, b)    ((uint16_t)((r) | (g) << 5 | (b) << 10))

/* Interrupt mask in the status register. */
static inline void interrupts_on(void) { __asm__ volatile("move.w #0x2000, %%sr" ::: "memory"); }
static inline void interrupts_off(void) { __asm__ volatile("move.w #0x2700, %%sr" ::: "memory"); }
/* Starts the board's interrupt chain so that vector 28 arrives at the same
   point of every frame: call it first thing after a reset, within the first
   third of the frame (the board resets between frames). Unmasking first
   takes any vector left pending from before the reset, whose handler
   acknowledges it; the enable write then makes vector 28 the next one, offered
   before the second third of this frame and of every frame after it. From
   then on each handler must acknowledge its vector in the third it arrives. */
static inline void start_frame_interrupts(void) {
    __asm__ volatile("move.w #0x2000, %%sr\n\tnop" ::: "memory");
    IRQ_ENABLE = 1;
}

/* Sleeps until the next interrupt (interrupts enabled meanwhile). */
static inline void wait_interrupt(void) { __asm__ volatile("stop #0x2000" ::: "memory"); }

#endif
