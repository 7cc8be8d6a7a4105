// The board: start-up and ROM set loading, the 68000 address map with the
// board's ports, palette and interrupt logic, the frame driver, sprite drawing
// and the mapping of keys to player inputs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "key_codes.h"
#include "machine.h"
#include "memory_map.h"
#include "s68000.h"
#include "speed.h"

// ---- Start-up and ROM set loading ----

extern char _execPath[kDirectoryCapacity];  // directory prefix of every ROM file name
extern unsigned char* codeRom;     // 256 KiB program ROM, memory image format
extern unsigned char* tilesRom;    // 1 MiB graphics, one byte per pixel (4096 tiles of 256)
extern unsigned char* onboardRam;  // 16 KiB work RAM at 0x100000
extern unsigned char* spriteRam;   // 7680 bytes of sprite RAM at 0x700000
constexpr size_t kCodeRomSize = address_map::kProgramRom.size();
constexpr size_t kTilesRomSize = 0x100000;
constexpr size_t kOnboardRamSize = address_map::kWorkRam.size();
constexpr size_t kSpriteRamSize = address_map::kSpriteRam.size();

int pm_initAll(const char* execPath);
int pm_init();
int pm_loadAllRoms();
int MergeBanks128k(const char* first, const char* second, unsigned char* lowHalf, unsigned char* highHalf);
unsigned char* vr_merge128kRoms(const char* rom0, const char* rom1, const char* rom2, const char* rom3);
unsigned char* pm_loadRom(const char* name);
// The machine as after switching the power on (work RAM, sprite RAM, palette
// RAM, the input ports, the interrupt chain, the watchdog, the frame buffer,
// the speed and the odometer), for a host that starts the board more than
// once in a process; start-up and reset follow as usual.
void pm_powerOn();
// Releases the ROM images, work RAM and sprite RAM (all null afterwards), for
// a host that is unloaded from the process; only start-up makes the board
// runnable again.
void pm_releaseMemories();

// ---- Address map and board I/O ----

extern program_region pretend_programfetch[16];
extern data_region pretend_readbyte[16];
extern data_region pretend_readword[16];
extern data_region pretend_writebyte[16];
extern data_region pretend_writeword[16];

extern unsigned char _dynamicPalette[512];  // palette RAM as the 68000 wrote it (68000 byte order)
extern uint16_t dynamicPalette[256];        // drawing colours, host order, 15-bit RGB
extern unsigned char IOBuf[6];              // input ports at 0x500000-0x500005, active low
constexpr unsigned char kInitialIOBuf[6] = {0x7F, 0xFF, 0x7F, 0x00, 0xBF, 0x00};
extern unsigned char testMode;              // service mode: reset presents 0x00 at 0x500001
extern uint16_t NextInterrupt;              // vector offered at level 4 before each slice; 0 none
extern uint16_t interruptEnable, IRQ4ACK, IRQ3ACK, IRQ2ACK;
extern unsigned char watchDogReset[2];

uint32_t sound_byteRead(uint32_t address, data_region* region);
uint32_t sound_wordRead(uint32_t address, data_region* region);
void sound_byteWrite(uint32_t address, uint32_t data, data_region* region);
void sound_wordWrite(uint32_t address, uint32_t data, data_region* region);
uint32_t io_byteRead(uint32_t address, data_region* region);
uint32_t io_wordRead(uint32_t address, data_region* region);
uint32_t pal_byteRead(uint32_t address, data_region* region);
uint32_t pal_wordRead(uint32_t address, data_region* region);
void pal_byteWrite(uint32_t address, uint32_t data, data_region* region);
void pal_wordWrite(uint32_t address, uint32_t data, data_region* region);
void interruptEnable_bw(uint32_t address, uint32_t data, data_region* region);
void interruptEnable_ww(uint32_t address, uint32_t data, data_region* region);
void irq4_byteWrite(uint32_t address, uint32_t data, data_region* region);
void irq4_wordWrite(uint32_t address, uint32_t data, data_region* region);
void irq3_byteWrite(uint32_t address, uint32_t data, data_region* region);
void irq3_wordWrite(uint32_t address, uint32_t data, data_region* region);
void irq2_byteWrite(uint32_t address, uint32_t data, data_region* region);
void irq2_wordWrite(uint32_t address, uint32_t data, data_region* region);

void pm_defineMemoryMap();
int pm_reset();

// ---- Frame driver, drawing and input ----

extern uint16_t render_offscreen[kScreenWidth * kScreenHeight];  // 32-bit aligned
// 68000 cycles per frame; written by the window thread, read once per slice.
extern std::atomic<uint32_t> cpucycles_by_frame;

uint16_t* pm_render(bool debug, bool paused, int fps);
// The parts of a frame: its start (the keys sampled, the debugger's frame
// hook, the monitor when `debug`), the 68000's three slices (one instruction
// at a time, counted, when `instructions` is given; the debugger's
// breakpoints and watched accesses counted into `hits` when given), the picture.
void pm_startFrame(bool debug);
void pm_runSlices(uint64_t* instructions, uint32_t* hits);
// The slices an instruction at a time with `visit` before each (see
// Machine::runFrameStepping), and the rest of a frame left under way.
FramePoint pm_stepSlices(const std::function<bool()>& visit);
void pm_finishSlices(const FramePoint& point);
// Draws the frame buffer from sprite RAM and the drawing palette: the
// background colour, then the sprite list.
void pm_drawFrame();
void pm_put(const char* text);

// A debugger that controls the CPU (the GDB stub) hooks in here; null when
// none. The frame hook runs at the start of every frame, before the monitor;
// the slice runner runs each slice in place of s68000exec.
extern void (*pm_frame_hook)();
extern uint32_t (*pm_slice_runner)(int32_t cycles);

void fastClear(void* destination, uint32_t pattern);
void refreshDisplay();
void displaySprite16x16(unsigned tile, unsigned colour, unsigned flipX, unsigned flipY, int x, int y);

// ---- Player inputs ----

// The board's keys (key_codes.h): the arrows are the joystick, Left alt,
// Space and Left shift buttons 1 to 3, the top row's 1 to 5 the switches.
//
// Where acquire_keyboard reads the held keys at every frame. The desktop
// program reads its keyboard, another host its own controls; with none
// (the start) no key is held.
void pm_setKeySource(KeySource source);
void acquire_keyboard();
