// What the fuzz targets share: a failed check names itself and aborts (libFuzzer
// reports the input that caused it), and the pieces their inputs are made of.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A refusal's reason: one line, not empty.
inline bool oneLine(const std::string& reason) { return !reason.empty() && reason.find('\n') == std::string::npos; }

inline void silenceStdout() {
    if (!std::freopen("/dev/null", "w", stdout)) fail("cannot silence standard output");
}

// The low `bytes` bytes of `value`, least significant first.
inline void putLittle(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// `length` bytes grown from a fuzzed seed of at most `seed` bytes, so that a
// file of 128 KiB costs the input little.
inline std::vector<uint8_t> patterned(FuzzedDataProvider& in, size_t length, size_t seed) {
    const auto from = in.ConsumeBytes<uint8_t>(seed);
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = from.empty() ? static_cast<uint8_t>(i) : static_cast<uint8_t>(from[i % from.size()] + i / from.size());
    return bytes;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A scratch directory of this process, removed when it ends.
inline std::filesystem::path scratchDirectory() {
    static std::filesystem::path dir;
    char name[] = "/tmp/bevorel-fuzz-XXXXXX";
    if (!mkdtemp(name)) fail("cannot make a scratch directory");
    dir = name;
    std::atexit([] { std::filesystem::remove_all(dir); });
    return dir;
}
