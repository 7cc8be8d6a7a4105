// Fuzzes board start-up with ROM sets of every shape: each of the six files
// missing, empty, short, exact, long, or a directory, with fuzzed contents.
// Start-up must succeed exactly when all six are regular files of at least
// 131072 bytes, and then hold their interleaved and expanded contents; a
// failure names the first file that does not load.
#include <algorithm>

#include "board.h"
#include "fuzz_check.h"
#include "rom_files.h"

namespace {

constexpr size_t kSize = 131072;
std::string dir;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceStdout();
    dir = scratchDirectory().string() + "/";
    std::filesystem::create_directories(dir + "Roms");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> contents[6];
    bool usable[6] = {};
    for (int f = 0; f < 6; ++f) {
        const std::filesystem::path path = dir + "Roms/" + kRomSetNames[f];
        std::filesystem::remove_all(path);
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: break;  // missing
            case 1: std::filesystem::create_directory(path); break;
            default: {
                const uint8_t shape = in.ConsumeIntegral<uint8_t>();
                const size_t length = shape < 64    ? in.ConsumeIntegralInRange<size_t>(0, kSize - 1)
                                      : shape < 192 ? kSize
                                                    : kSize + in.ConsumeIntegralInRange<size_t>(1, 5000);
                writeFile(path, contents[f] = patterned(in, length, 64));
                usable[f] = length >= kSize;
            }
        }
    }
    pm_initAll(dir.c_str());
    const bool all_ok = std::all_of(usable, usable + 6, [](bool u) { return u; });
    if (rom_set_failure().empty() != all_ok) fail("start-up outcome does not follow the files");
    if (!all_ok) {
        const std::string first_bad = dir + "Roms/" + kRomSetNames[std::find(usable, usable + 6, false) - usable];
        if (rom_set_failure().rfind(first_bad + " ", 0) != 0) fail("the file that does not load is not named");
        return 0;
    }
    for (size_t i : {size_t{0}, size_t{1}, size_t{4097}, kSize - 1}) {
        if (codeRom[2 * i] != contents[0][i] || codeRom[2 * i + 1] != contents[1][i]) fail("program bytes not interleaved");
        for (size_t g = 0; g < 4; ++g) {
            const uint8_t b = contents[2 + g][i];
            const size_t p = g * 2 * kSize + 2 * i;
            if (tilesRom[p] != (b >> 4) || tilesRom[p + 1] != (b & 15)) fail("pixels not expanded");
        }
    }
    return 0;
}
