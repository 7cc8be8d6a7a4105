// Fuzzes the libretro core's content loader with sets of every shape: zips
// whose six entries are missing, short, exact, long, doubled, misnamed, in
// folders, stored or deflated, maybe with bytes flipped afterwards;
// directories of files that are missing, short, exact, long or
// directories, given as the directory or as one of its files; and raw bytes
// as an archive. The outcome must follow the shape, an accepted set must hold
// exactly the files' first 131072 bytes, and a refusal must say something.
// All-zero choices make a complete zip, so a zero seed reaches the success
// path.
#include <zip.h>

#include <cctype>
#include <cstring>

#include "fuzz_check.h"
#include "rom_set_content.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kSize = 131072;
fs::path root;

size_t length_of(FuzzedDataProvider& in, int shape) {
    switch (shape) {
        case 2: return in.ConsumeIntegralInRange<size_t>(0, kSize - 1);   // short
        case 3: return kSize + in.ConsumeIntegralInRange<size_t>(1, 3000);  // long
        default: return kSize;
    }
}

void load_and_check(const fs::path& path, int expect /* 1 accept, 0 refuse, -1 either */,
                    const std::vector<uint8_t>* expected) {
    RomSetFiles files;
    std::string error;
    const bool ok = load_rom_set(path.string(), files, error);
    if (expect >= 0 && ok != (expect == 1)) fail(ok ? "a bad set was accepted" : "a good set was refused");
    if (!ok && (!oneLine(error) || files.data[0])) fail("a refusal without one line, or one that changed the set");
    for (size_t k = 0; ok && k < 6; ++k) {
        if (!files.data[k]) fail("an accepted set lacks a file");
        if (expected && std::memcmp(files.data[k].get(), expected[k].data(), kSize) != 0)
            fail("an accepted file is not the first 131072 bytes given");
    }
}

// Six entries of fuzzed shapes, with junk entries between them.
void zip_case(FuzzedDataProvider& in) {
    const fs::path path = root / "set.zip";
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    if (!archive) fail("libzip cannot write");
    std::vector<std::vector<uint8_t>> data;  // kept alive until zip_close
    data.reserve(32);  // at most 18 entries: the buffers must not move
    std::vector<uint8_t> expected[6];
    bool good = true;
    auto add = [&](const std::string& name, const std::vector<uint8_t>& bytes, bool stored) {
        zip_source_t* source = zip_source_buffer(archive, data.emplace_back(bytes).data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) zip_source_free(source);
        else zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    };
    for (size_t k = 0; k < 6; ++k) {
        const int shape = in.ConsumeIntegralInRange(0, 5);  // exact, missing, short, long, twice, other case
        const std::string folder = in.ConsumeBool() ? "set/" + std::to_string(k) + "/" : "";
        const bool stored = in.ConsumeBool();
        good = good && shape == 0;
        if (shape == 1) continue;
        std::string name = kRomSetNames[k];
        if (shape == 5)
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        expected[k] = patterned(in, length_of(in, shape), 16);
        add(folder + name, expected[k], stored);
        if (shape == 4) add("copy/" + name, expected[k], stored);
        if (in.ConsumeIntegralInRange(0, 7) == 7) add(folder + "notes.txt", patterned(in, 100, 16), stored);
    }
    if (zip_close(archive) != 0) fail("libzip cannot close");
    // Some bytes flipped afterwards: the outcome is open, safety is not.
    const int flips = in.ConsumeIntegralInRange(0, 3) == 3 ? in.ConsumeIntegralInRange(1, 8) : 0;
    // (libzip writes no file for an archive without entries: nothing to flip.)
    std::error_code missing;
    const auto size = static_cast<size_t>(fs::file_size(path, missing));
    if (flips && !missing && size > 0) {
        std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
        for (int f = 0; f < flips; ++f) {
            file.seekp(static_cast<std::streamoff>(in.ConsumeIntegralInRange<size_t>(0, size - 1)));
            file.put(static_cast<char>(in.ConsumeIntegral<uint8_t>()));
        }
    }
    load_and_check(path, flips ? -1 : good ? 1 : 0, good && !flips ? expected : nullptr);
}

// The board's rule for loose files, given as the directory or as one file.
void directory_case(FuzzedDataProvider& in, bool as_file) {
    const fs::path dir = root / "set";
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::vector<uint8_t> expected[6];
    bool good = true;
    for (size_t k = 0; k < 6; ++k) {
        const fs::path file = dir / kRomSetNames[k];
        switch (const int shape = in.ConsumeIntegralInRange(0, 4)) {  // exact, missing, short, long, directory
            case 1: good = false; break;
            case 4: fs::create_directory(file); good = false; break;
            default: writeFile(file, expected[k] = patterned(in, length_of(in, shape), 16)); good = good && shape != 2;
        }
    }
    const fs::path given = as_file ? dir / kRomSetNames[in.ConsumeIntegralInRange<size_t>(0, 5)] : dir;
    load_and_check(given, good ? 1 : 0, good ? expected : nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    root = scratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: zip_case(in); break;
        case 1: directory_case(in, false); break;
        case 2: directory_case(in, true); break;
        default: {  // whatever is left, as an archive
            writeFile(root / "raw.zip", in.ConsumeRemainingBytes<uint8_t>());
            load_and_check(root / "raw.zip", -1, nullptr);
        }
    }
    return 0;
}
