// Fuzzes board start-up with ROM sets of every shape: each of the six files
// missing, empty, short, exact, long, or a directory, with fuzzed contents.
// Start-up must succeed exactly when all six are regular files of at least
// 131072 bytes, and then hold their interleaved and expanded contents.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[6] = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};
constexpr size_t kSize = 131072;

std::string dir;
FILE* console;

std::string console_text() {
    std::fflush(stdout);
    std::string text;
    std::rewind(console);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, console)) > 0) text.append(buf, n);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char name[] = "/tmp/bevorel-loader-fuzz-XXXXXX";
    dir = std::string(mkdtemp(name)) + "/";
    fs::create_directories(dir + "Roms");
    // Start-up reports on standard output: keep it in a file we can read back.
    console = std::freopen((dir + "console.txt").c_str(), "w+", stdout);
    std::atexit([] { fs::remove_all(dir); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> contents[6];
    bool usable[6];
    for (int f = 0; f < 6; ++f) {
        const fs::path path = fs::path(dir) / "Roms" / kFiles[f];
        fs::remove_all(path);
        usable[f] = false;
        switch (in.ConsumeIntegralInRange(0, 4)) {
            case 0: break;  // missing
            case 1: fs::create_directory(path); break;
            default: {
                const uint8_t shape = in.ConsumeIntegral<uint8_t>();
                size_t length = shape < 64 ? in.ConsumeIntegralInRange<size_t>(0, kSize - 1)
                                : shape < 192 ? kSize
                                              : kSize + in.ConsumeIntegralInRange<size_t>(1, 5000);
                const auto seed = in.ConsumeBytes<uint8_t>(64);
                contents[f].resize(length);
                for (size_t i = 0; i < length; ++i)
                    contents[f][i] = seed.empty() ? static_cast<uint8_t>(i) : static_cast<uint8_t>(seed[i % seed.size()] + i / seed.size());
                std::ofstream(path, std::ios::binary)
                    .write(reinterpret_cast<const char*>(contents[f].data()), static_cast<std::streamsize>(length));
                usable[f] = length >= kSize;
            }
        }
    }
    if (ftruncate(fileno(console), 0) != 0) fail("cannot reset the console file");
    std::rewind(console);
    pm_initAll(dir.c_str());
    const std::string out = console_text();

    const bool all_ok = std::all_of(usable, usable + 6, [](bool u) { return u; });
    const bool reported_ok = out.find("Initializing memory mapping...Ok\n") != std::string::npos;
    if (reported_ok != all_ok) fail("start-up outcome does not follow the files");
    // A failure names the first file that does not load.
    const int first_bad = static_cast<int>(std::find(usable, usable + 6, false) - usable);
    if (!all_ok && out.find("Loading ROMS...(" + dir + "Roms/" + kFiles[first_bad] + " ") == std::string::npos)
        fail("the file that does not load is not named");
    if (all_ok) {
        for (size_t i : {size_t{0}, size_t{1}, size_t{4097}, kSize - 1}) {
            if (codeRom[2 * i] != contents[0][i] || codeRom[2 * i + 1] != contents[1][i])
                fail("program bytes not interleaved");
            for (int g = 0; g < 4; ++g) {
                const uint8_t b = contents[2 + g][i];
                const size_t p = g * 2 * kSize + 2 * i;
                if (tilesRom[p] != (b >> 4) || tilesRom[p + 1] != (b & 15)) fail("pixels not expanded");
            }
        }
    }
    return 0;
}
