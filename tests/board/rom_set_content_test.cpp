// ROM sets as both hosts read them, and each way of refusing with its one
// line, the set left as it was. (The content fuzzer varies every shape.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <cstdlib>
#include <new>

#include "rom_set_fixtures.h"
#include "rom_set_content.h"

using namespace rom_set_test;

// The largest single allocation through operator new[] while a test watches
// (this replaces the program's array new; the loader allocates its files so).
namespace {
std::atomic<bool> watching{false};
std::atomic<size_t> largest{0};
void* allocate(size_t size) {
    if (watching.load() && size > largest.load()) largest.store(size);
    return std::malloc(size ? size : 1);
}
}  // namespace
void* operator new[](size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

class ContentLoader : public ::testing::Test {
protected:
    TempDir dir;
    const std::vector<std::vector<uint8_t>> set = patternedSet();

    void expectRefused(const fs::path& path, const std::string& line) {
        RomSetFiles files;
        files.directory = "untouched";
        std::string error;
        EXPECT_FALSE(load_rom_set(path.string(), files, error)) << path;
        EXPECT_EQ(error.substr(0, line.size()), line);  // a prefix when the rest is libzip's
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(files.directory, "untouched");
        for (const auto& data : files.data) EXPECT_EQ(data, nullptr);
    }

    void expectLoaded(const fs::path& path, const fs::path& directory) {
        RomSetFiles files;
        std::string error;
        ASSERT_TRUE(load_rom_set(path.string(), files, error)) << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(files.directory, directory.string());
        for (size_t k = 0; k < 6; ++k) {
            ASSERT_NE(files.data[k], nullptr);
            EXPECT_EQ(std::vector<uint8_t>(files.data[k].get(), files.data[k].get() + kRomSize), set[k]) << kSetNames[k];
            EXPECT_EQ(rom_set_file(files, kSetNames[k]), files.data[k].get());
        }
        EXPECT_EQ(rom_set_file(files, "CH4"), nullptr);
    }
};

TEST_F(ContentLoader, DirectoryAnyOfItsSixFilesOrAZipInAnyFolder) {
    writeSet(dir.path(), set);
    auto longer = set[4];
    longer.resize(kRomSize + 5000, 0xEE);
    writeFile(dir / "CH2", longer);  // only the first 131072 bytes count
    expectLoaded(dir.path().string() + "//", dir.path());
    for (const char* name : kSetNames) expectLoaded(dir / name, dir.path());
    fs::create_directory(dir / "dir.zip");  // a directory named like an archive is a directory
    writeSet(dir / "dir.zip", set);
    expectLoaded(dir / "dir.zip", dir / "dir.zip");
    auto entries = setEntries(set, "pellmora/roms/");  // more shapes: the fuzzer's
    entries.push_back({"pellmora/readme.txt", {'h', 'i'}});
    ASSERT_TRUE(writeZip(dir / "FOLDERS.ZIP", entries));
    expectLoaded(dir / "FOLDERS.ZIP", dir.path());
    writeFile(dir / "honest.zip", handMadeZip(honestEntries(set)));
    expectLoaded(dir / "honest.zip", dir.path());
}

// One row a way of refusing: what is written, what is given, the line.
TEST_F(ContentLoader, EachWayOfRefusingHasItsLine) {
    const fs::path ch3 = fs::path(dir / "loose") / "CH3", zip = dir / "set.zip";
    auto zipOf = [&](const std::function<void(std::vector<ZipEntry>&)>& change) {
        return [=, this] {
            auto entries = setEntries(set);
            change(entries);
            ASSERT_TRUE(writeZip(zip, entries));
        };
    };
    auto handMade = [&](const std::function<void(std::vector<HandMadeEntry>&)>& change) {
        return [=, this] {
            auto entries = honestEntries(set);
            change(entries);
            writeFile(zip, handMadeZip(entries));
        };
    };
    auto loose = [&](const std::function<void()>& change) {
        return [=, this] {
            fs::remove_all(ch3.parent_path());
            fs::create_directory(ch3.parent_path());
            writeSet(ch3.parent_path(), set);
            fs::remove(ch3);
            change();
        };
    };
    const struct {
        std::function<void()> make;
        fs::path given;
        std::string line;
    } rows[] = {
        {[] {}, "", "no content path was given"},
        {[] {}, dir / "nothing", (dir / "nothing") + " does not exist"},
        {[&] { writeFile(dir / "game.bin", set[0]); }, dir / "game.bin",
         (dir / "game.bin") + " is not a ROM set: give its directory, one of its six files (PELLMORA.2A, "
                              "PELLMORA.3A, CH0, CH1, CH2, CH3) or a .zip of them"},
        {[&] { ASSERT_EQ(mkfifo((dir / "pipe.zip").c_str(), 0600), 0); }, dir / "pipe.zip",
         (dir / "pipe.zip") + " is not a regular file"},  // a FIFO never blocks
        {loose([] {}), dir / "loose", ch3.string() + " is missing"},
        {loose([&] { writeFile(ch3, std::vector<uint8_t>(kRomSize - 1, 0)); }), dir / "loose",
         ch3.string() + " is 131071 bytes where 131072 are needed"},
        {loose([&] { fs::create_directory(ch3); }), dir / "loose", ch3.string() + " is not a regular file"},
        {loose([&] { ASSERT_EQ(mkfifo(ch3.c_str(), 0600), 0); }), dir / "loose", ch3.string() + " is not a regular file"},
        {[&] { writeFile(dir / "text.zip", std::vector<uint8_t>(5000, 'x')); }, dir / "text.zip",
         (dir / "text.zip") + " is not a zip archive libzip can read (Not a zip archive)"},
        {zipOf([](auto& e) { e[3].data.push_back(0); }), zip,
         zip.string() + ": CH1 is 131073 bytes; a ROM file in an archive must be exactly 131072"},
        {handMade([](auto& e) { e[3].crc ^= 1; }), zip, zip.string() + ": CH1 is damaged (CRC error)"},
        {zipOf([&](auto& e) { e.push_back({"copy/CH2", set[4]}); }), zip, zip.string() + " holds CH2 twice"},
        {zipOf([](auto& e) { e.erase(e.begin() + 2); }), zip, zip.string() + " holds no CH0"},
        {[&] {  // 1000 bytes cut out of the middle: only the archive's name is sure
             auto bytes = handMadeZip(honestEntries(set));
             bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2),
                         bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2 + 1000));
             writeFile(zip, bytes);
         },
         zip, zip.string()},
    };
    for (const auto& r : rows) {
        r.make();
        expectRefused(r.given, r.line);
    }
}

// An entry whose headers claim 2 GiB is refused by its size, before any
// buffer is allocated for it or any other file.
TEST_F(ContentLoader, HugeZipEntryIsRefusedWithoutAllocatingIt) {
    const fs::path zip = dir / "bomb.zip";
    auto entries = honestEntries(set);
    entries[2] = {"CH0", 0x7FFFFFF0u, std::vector<uint8_t>(64, 0x55), 8, 0};
    writeFile(zip, handMadeZip(entries));
    largest = 0;
    watching = true;
    expectRefused(zip, zip.string() + ": CH0 is 2147483632 bytes; a ROM file in an archive must be exactly 131072");
    watching = false;
    EXPECT_EQ(largest.load(), 0u) << "the loader allocated before refusing";
}

}  // namespace
