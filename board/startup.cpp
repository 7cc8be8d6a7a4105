// Board start-up: the banner, the ROM set, work RAM and sprite RAM, the core,
// the address map and the first reset. Every step reports on the console; a
// ROM set that cannot be loaded is reported with the file and the reason.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board.h"
#include "console.h"
#include "rom_files.h"

char _execPath[kDirectoryCapacity];
unsigned char* codeRom;
unsigned char* tilesRom;
unsigned char* onboardRam;
unsigned char* spriteRam;

namespace {

RomSource romSource = nullptr;
std::string loadFailure;  // why the ROM set being loaded cannot be, for the report

std::unique_ptr<unsigned char[]> read_rom(const char* name) {
    std::string reason;
    auto file = romSource ? romSource(name, reason) : read_rom_file(std::string(_execPath) + name, reason);
    if (!file) loadFailure = reason.empty() ? std::string(name) + " is missing" : reason;
    return file;
}

void print_banner() {
    pm_print("*******************************\n");
    pm_print("BePellmora v0.80 - sprite board emulator, ROM set PELLMORA\n");
    pm_print("68000 + Z80 board, 480 sprites over one background colour\n");
    pm_print("*******************************\n\n");
    pm_print("Credits : \n");
    pm_print("\tEmulation programming: the BePellmora developers\n");
    pm_print("\t68000 core library: the BePellmora developers\n");
    pm_print("Main  CPU : 68000 8.0 Mhz\n");
    pm_print("Sound CPU : Z80   3.6 Mhz\n");
    pm_print("\n");
    pm_print("Executing in %s\n", _execPath);
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
        pm_print("The program's directory name is %zu characters long; at most %zu are supported.\n", length,
                 sizeof _execPath - 1);
        pm_print("Failed\n\n");
        return 0;
    }
    std::memcpy(_execPath, execPath, length + 1);
    print_banner();
    pm_init();
    return 0;
}

int pm_init() {
    pm_print("Loading ROMS...");
    if (!pm_loadAllRoms()) {
        pm_print("Failed\n\n");
        return 0;
    }
    pm_print("Ok.\n");
    pm_print("Allocating On-board memory...");
    if (!keep(onboardRam, kOnboardRamSize)) {
        pm_print("Failed\n\n");
        return 0;
    }
    std::memset(onboardRam, 0, kOnboardRamSize);
    if (!keep(spriteRam, kSpriteRamSize)) {
        pm_print("Failed\n\n");
        return 0;
    }
    std::memset(spriteRam, 0, kSpriteRamSize);
    pm_print("Ok.\n");
    pm_print("\nCPU(Motorola 68000 %f Mhz) init...", 8.0);
    s68000init();
    pm_print("Ok\n");
    pm_print("Initializing memory mapping...");
    pm_defineMemoryMap();
    pm_print("Ok\n");
    return pm_reset();
}

// A failure is reported inside "Loading ROMS..." and "Failed", in
// parentheses: the file and why, such as "(/games/set/CH2 is missing)".
int pm_loadAllRoms() {
    // Each file by its name under the directory's Roms/: "./Roms/CH0".
    std::string name[kRomSetNames.size()];
    for (size_t k = 0; k < kRomSetNames.size(); ++k) name[k] = std::string("./Roms/") + kRomSetNames[k];
    loadFailure = "out of memory for the program ROM";
    unsigned char* tiles = nullptr;
    if (keep(codeRom, kCodeRomSize) &&
        MergeBanks128k(name[0].c_str(), name[1].c_str(), codeRom, codeRom + kCodeRomSize / 2)) {
        loadFailure = "out of memory for the graphics";
        tiles = vr_merge128kRoms(name[2].c_str(), name[3].c_str(), name[4].c_str(), name[5].c_str());
    }
    if (!tiles) {
        pm_print("(%s)", loadFailure.c_str());
        set_rom_set_failure(loadFailure);
        return 0;
    }
    std::free(tilesRom);  // only a repeated start-up has one
    tilesRom = tiles;
    set_rom_set_failure("");
    return 1;
}

int MergeBanks128k(const char* first, const char* second, unsigned char* lowHalf, unsigned char* highHalf) {
    const char* names[2] = {first, second};
    for (int lane = 0; lane < 2; ++lane) {
        const auto file = read_rom(names[lane]);
        if (!file) return 0;
        for (size_t i = 0; i < kRomFileSize / 2; ++i) {
            lowHalf[2 * i + lane] = file[i];
            highHalf[2 * i + lane] = file[kRomFileSize / 2 + i];
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

void pm_powerOn() {
    if (onboardRam) std::memset(onboardRam, 0, kOnboardRamSize);
    if (spriteRam) std::memset(spriteRam, 0, kSpriteRamSize);
    std::memset(_dynamicPalette, 0, sizeof _dynamicPalette);
    std::memset(dynamicPalette, 0, sizeof dynamicPalette);
    std::memcpy(IOBuf, kInitialIOBuf, sizeof IOBuf);
    NextInterrupt = 0;
    interruptEnable = IRQ4ACK = IRQ3ACK = IRQ2ACK = 0;
    std::memset(watchDogReset, 0, sizeof watchDogReset);
    std::memset(render_offscreen, 0, sizeof render_offscreen);
    cpucycles_by_frame = cyclesPerFrame(Speed::Fps60);
    s68000tripOdometer();  // back to 0
}

void pm_releaseMemories() {
    for (unsigned char** memory : {&codeRom, &tilesRom, &onboardRam, &spriteRam}) {
        std::free(*memory);
        *memory = nullptr;
    }
}

unsigned char* pm_loadRom(const char* name) {
    auto file = read_rom(name);
    return file.release();
}
