// ROM sets as the desktop program and the libretro core read them: a
// directory, one of the six files, a .zip; and every refusal with its one
// line naming the file, the set left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "../libretro/rom_set_fixtures.h"
#include "rom_set_content.h"

using namespace libretro_test;

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

    // Loads `path`, expecting a refusal whose line is exactly `line`; the
    // set loaded before stays as it was.
    void expectRefused(const fs::path& path, const std::string& line) {
        RomSetFiles files;
        files.directory = "untouched";
        std::string error;
        EXPECT_FALSE(load_rom_set(path.string(), files, error)) << path;
        EXPECT_EQ(error, line);
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

TEST_F(ContentLoader, DirectoryOrAnyOfItsSixFiles) {
    writeSet(dir.path(), set);
    expectLoaded(dir.path(), dir.path());
    expectLoaded(dir.path().string() + "//", dir.path());
    for (const char* name : kSetNames) expectLoaded(dir / name, dir.path());
}

TEST_F(ContentLoader, LooseFilesFollowTheBoardsRule) {
    writeSet(dir.path(), set);
    auto longer = set[4];
    longer.resize(kRomSize + 5000, 0xEE);
    writeFile(dir / "CH2", longer);
    expectLoaded(dir.path(), dir.path());  // only the first 131072 bytes count

    for (size_t k = 0; k < 6; ++k) {
        writeSet(dir.path(), set);
        const fs::path file = dir / kSetNames[k];
        fs::remove(file);
        expectRefused(dir.path(), file.string() + " is missing");
        writeFile(file, std::vector<uint8_t>(kRomSize - 1, 0));
        expectRefused(dir.path(), file.string() + " is 131071 bytes where 131072 are needed");
        fs::remove(file);
        fs::create_directory(file);
        expectRefused(dir.path(), file.string() + " is not a regular file");
        fs::remove(file);
    }
    writeSet(dir.path(), set);
    fs::remove(dir / "CH3");
    ASSERT_EQ(mkfifo((dir / "CH3").c_str(), 0600), 0);  // no writer: must not block
    expectRefused(dir.path(), (dir / "CH3") + " is not a regular file");
}

TEST_F(ContentLoader, ZipOfTheSixFilesInAnyFolder) {
    ASSERT_TRUE(writeZip(dir / "set.zip", setEntries(set)));
    expectLoaded(dir / "set.zip", dir.path());
    auto entries = setEntries(set, "pellmora/roms/");
    entries.push_back({"pellmora/readme.txt", {'h', 'i'}});
    entries[2].stored = true;
    ASSERT_TRUE(writeZip(dir / "FOLDERS.ZIP", entries));
    expectLoaded(dir / "FOLDERS.ZIP", dir.path());
}

TEST_F(ContentLoader, ZipEntriesMustBeExactlyTheFileSize) {
    auto entries = setEntries(set);
    entries[3].data.push_back(0);
    ASSERT_TRUE(writeZip(dir / "long.zip", entries));
    expectRefused(dir / "long.zip",
                  (dir / "long.zip") + ": CH1 is 131073 bytes; a ROM file in an archive must be exactly 131072");
    entries = setEntries(set);
    entries[0].data.resize(1000);
    ASSERT_TRUE(writeZip(dir / "short.zip", entries));
    expectRefused(dir / "short.zip", (dir / "short.zip") +
                                         ": PELLMORA.2A is 1000 bytes; a ROM file in an archive must be exactly 131072");
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

TEST_F(ContentLoader, DamagedOrAmbiguousZipsAreRefused) {
    const fs::path notZip = dir / "text.zip";
    writeFile(notZip, std::vector<uint8_t>(5000, 'x'));
    expectRefused(notZip, notZip.string() + " is not a zip archive libzip can read (Not a zip archive)");

    // Right size, wrong CRC: found when the read reaches the entry's end.
    auto entries = honestEntries(set);
    writeFile(dir / "honest.zip", handMadeZip(entries));
    expectLoaded(dir / "honest.zip", dir.path());
    entries[3].crc ^= 1;
    writeFile(dir / "crc.zip", handMadeZip(entries));
    expectRefused(dir / "crc.zip", (dir / "crc.zip") + ": CH1 is damaged (CRC error)");

    // 1000 bytes cut out of the middle of the archive.
    auto bytes = handMadeZip(honestEntries(set));
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2),
                bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2 + 1000));
    writeFile(dir / "cut.zip", bytes);
    RomSetFiles files;
    std::string error;
    EXPECT_FALSE(load_rom_set((dir / "cut.zip"), files, error));
    EXPECT_EQ(error.rfind((dir / "cut.zip"), 0), 0u) << error;

    auto zipped = setEntries(set);
    zipped.push_back({"copy/CH2", set[4]});
    ASSERT_TRUE(writeZip(dir / "twice.zip", zipped));
    expectRefused(dir / "twice.zip", (dir / "twice.zip") + " holds CH2 twice");

    zipped = setEntries(set);
    zipped[5].name = "ch3";  // names are exact, as on disk
    ASSERT_TRUE(writeZip(dir / "case.zip", zipped));
    expectRefused(dir / "case.zip", (dir / "case.zip") + " holds no CH3");

    zipped = setEntries(set);
    zipped.erase(zipped.begin() + 2);
    ASSERT_TRUE(writeZip(dir / "five.zip", zipped));
    expectRefused(dir / "five.zip", (dir / "five.zip") + " holds no CH0");
}

TEST_F(ContentLoader, PathsThatAreNoSetAreRefused) {
    expectRefused("", "no content path was given");
    expectRefused(dir / "nothing", (dir / "nothing") + " does not exist");
    writeFile(dir / "game.bin", set[0]);
    expectRefused(dir / "game.bin", (dir / "game.bin") +
                                        " is not a ROM set: give its directory, one of its six files (PELLMORA.2A, "
                                        "PELLMORA.3A, CH0, CH1, CH2, CH3) or a .zip of them");
    // A directory named like an archive is a directory; a FIFO never blocks.
    fs::create_directory(dir / "dir.zip");
    writeSet(dir / "dir.zip", set);
    expectLoaded(dir / "dir.zip", dir / "dir.zip");
    ASSERT_EQ(mkfifo((dir / "pipe.zip").c_str(), 0600), 0);
    expectRefused(dir / "pipe.zip", (dir / "pipe.zip") + " is not a regular file");
}

}  // namespace
