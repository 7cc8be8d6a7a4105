// Board start-up: the banner, the ROM set, work RAM and sprite RAM, the core,
// the address map and the first reset. Every step reports on standard output.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board.h"
#include "rom_files.h"

char _execPath[1024];
unsigned char* codeRom;
unsigned char* tilesRom;
unsigned char* onboardRam;
unsigned char* spriteRam;

namespace {

constexpr size_t kCodeRomSize = 0x40000;
constexpr size_t kTilesRomSize = 0x100000;
constexpr size_t kOnboardRamSize = 0x4000;
constexpr size_t kSpriteRamSize = 0x1E00;

RomSource romSource = nullptr;

std::unique_ptr<unsigned char[]> read_rom(const char* name) {
    return romSource ? romSource(name) : read_rom_file(std::string(_execPath) + name);
}

void print_banner() {
    std::printf("*******************************\n");
    std::printf("BePellmora v0.80 - sprite board emulator, ROM set PELLMORA\n");
    std::printf("68000 + Z80 board, 480 sprites over one background colour\n");
    std::printf("*******************************\n\n");
    std::printf("Credits : \n");
    std::printf("\tEmulation programming: the BePellmora developers\n");
    std::printf("\t68000 core library: the BePellmora developers\n");
    std::printf("Main  CPU : 68000 8.0 Mhz\n");
    std::printf("Sound CPU : Z80   3.6 Mhz\n");
    std::printf("\n");
    std::printf("Executing in %s\n", _execPath);
}

// The memories are allocated by the first start-up and kept for the run.
unsigned char* keep(unsigned char*& memory, size_t size) {
    if (!memory) memory = static_cast<unsigned char*>(std::malloc(size));
    return memory;
}

}  // namespace

void pm_setRomSource(RomSource source) { romSource = source; }

int pm_initAll(const char* execPath) {
    const size_t length = std::strlen(execPath);
    if (length >= sizeof _execPath) {
        _execPath[0] = '\0';
        print_banner();
        std::printf("The program's directory name is %zu characters long; at most %zu are supported.\n",
                    length, sizeof _execPath - 1);
        std::printf("Failed\n\n");
        return 0;
    }
    std::memcpy(_execPath, execPath, length + 1);
    print_banner();
    pm_init();
    return 0;
}

int pm_init() {
    std::printf("Loading ROMS...");
    if (!pm_loadAllRoms()) {
        std::printf("Failed\n\n");
        return 0;
    }
    std::printf("Ok.\n");
    std::printf("Allocating On-board memory...");
    if (!keep(onboardRam, kOnboardRamSize)) {
        std::printf("Failed\n\n");
        return 0;
    }
    std::memset(onboardRam, 0, kOnboardRamSize);
    if (!keep(spriteRam, kSpriteRamSize)) {
        std::printf("Failed\n\n");
        return 0;
    }
    std::memset(spriteRam, 0, kSpriteRamSize);
    std::printf("Ok.\n");
    std::printf("\nCPU(Motorola 68000 %f Mhz) init...", 8.0);
    s68000init();
    std::printf("Ok\n");
    std::printf("Initializing memory mapping...");
    pm_defineMemoryMap();
    std::printf("Ok\n");
    return pm_reset();
}

int pm_loadAllRoms() {
    if (!keep(codeRom, kCodeRomSize)) return 0;
    if (!MergeBanks128k("./Roms/PELLMORA.2A", "./Roms/PELLMORA.3A", codeRom, codeRom + 0x20000)) return 0;
    unsigned char* tiles = vr_merge128kRoms("./Roms/CH0", "./Roms/CH1", "./Roms/CH2", "./Roms/CH3");
    if (!tiles) {
        std::printf("(./Roms/CHx not found)");
        return 0;
    }
    std::free(tilesRom);  // only a repeated start-up has one
    tilesRom = tiles;
    return 1;
}

int MergeBanks128k(const char* first, const char* second, unsigned char* lowHalf, unsigned char* highHalf) {
    const char* names[2] = {first, second};
    for (int lane = 0; lane < 2; ++lane) {
        const auto file = read_rom(names[lane]);
        if (!file) return 0;
        for (size_t i = 0; i < 65536; ++i) {
            lowHalf[2 * i + lane] = file[i];
            highHalf[2 * i + lane] = file[65536 + i];
        }
    }
    return 1;
}

unsigned char* vr_merge128kRoms(const char* rom0, const char* rom1, const char* rom2, const char* rom3) {
    const char* names[4] = {rom0, rom1, rom2, rom3};
    std::unique_ptr<unsigned char[]> files[4];
    for (int i = 0; i < 4; ++i) {
        files[i] = read_rom(names[i]);
        if (!files[i]) return nullptr;
    }
    auto* pixels = static_cast<unsigned char*>(std::malloc(kTilesRomSize));
    if (!pixels) return nullptr;
    unsigned char* out = pixels;
    for (const auto& file : files) {
        for (size_t i = 0; i < kRomFileSize; ++i) {
            *out++ = file[i] >> 4;
            *out++ = file[i] & 0x0F;
        }
    }
    return pixels;
}

unsigned char* pm_loadRom(const char* name) {
    auto file = read_rom(name);
    return file.release();
}
