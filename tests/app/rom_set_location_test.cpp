// Where the ROM set is looked for, with temporary directories: the directory
// given, else Roms/ beside the program's real file, then Roms/ in the current
// directory; which files a set lacks; what the window says without one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "rom_set_location.h"

namespace fs = std::filesystem;

namespace {

// A fresh directory, and the current directory put back, for each test.
class RomSetLookup : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/bevorel-lookup-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        root_ = name;
        before_ = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(before_);
        fs::remove_all(root_);
    }
    // `dir` holding the six files (`size` bytes each), made with its parents.
    static void writeSet(const fs::path& dir, size_t size = 131072) {
        fs::create_directories(dir);
        for (const char* name : kRomSetNames) {
            std::ofstream(dir / name).put('\0');
            fs::resize_file(dir / name, size);
        }
    }
    // A program file (any file: nothing runs it) in `dir`.
    static fs::path program(const fs::path& dir) {
        fs::create_directories(dir);
        std::ofstream(dir / "bevorel") << "program";
        return dir / "bevorel";
    }
    fs::path root_;
    fs::path before_;
};

std::string withSlash(const fs::path& dir) { return dir.string() + "/"; }

}  // namespace

TEST_F(RomSetLookup, AGivenSetIsTheSetItself) {
    fs::current_path(root_);
    fs::create_directories(root_ / "my set");
    const RomSetPlace given = locateRomSet("my set", "/usr/games/bevorel", "/usr/games/bevorel");
    EXPECT_TRUE(given.given);
    EXPECT_EQ(given.prefix, "my set/");
    EXPECT_EQ(given.searched, std::vector<std::string>{withSlash(root_ / "my set")});
    EXPECT_EQ(locateRomSet("/srv/set/", "x", "").prefix, "/srv/set/");
    // A file or an archive: its directory for the banner, itself in messages.
    const RomSetPlace zip = locateRomSet("my set/../sets/demo.zip", "x", "");
    EXPECT_EQ(zip.prefix, "my set/../sets/");
    EXPECT_EQ(zip.searched, std::vector<std::string>{(root_ / "sets" / "demo.zip").string()});
}

TEST_F(RomSetLookup, BesideTheRealProgramKeepingHowArgv0SpellsItsDirectory) {
    const fs::path bin = root_ / "opt" / "bin";
    const fs::path real = program(bin);
    writeSet(bin / "Roms");
    fs::current_path(root_);
    // Started as opt/bin/bevorel: the same directory, as the user wrote it.
    RomSetPlace place = locateRomSet("", "opt/bin/bevorel", real.string());
    EXPECT_FALSE(place.given);
    EXPECT_EQ(place.prefix, "opt/bin/");
    EXPECT_EQ(place.searched.front(), withSlash(bin / "Roms"));
    // Found on the search path (argv[0] without a directory): the real one.
    place = locateRomSet("", "bevorel", real.string());
    EXPECT_EQ(place.prefix, withSlash(bin));
    // Unknown real path: argv[0]'s directory, as before.
    place = locateRomSet("", "opt/bin/bevorel", "");
    EXPECT_EQ(place.prefix, "opt/bin/");
}

TEST_F(RomSetLookup, ThroughALinkTheSetBesideTheRealFileWins) {
    const fs::path real = program(root_ / "real");
    writeSet(root_ / "real" / "Roms");
    fs::create_directories(root_ / "links");
    fs::create_symlink(real, root_ / "links" / "bevorel");
    writeSet(root_ / "links" / "Roms");  // another set beside the link: not looked at
    fs::current_path(root_ / "links");
    const RomSetPlace place = locateRomSet("", (root_ / "links" / "bevorel").string(), real.string());
    EXPECT_EQ(place.prefix, withSlash(root_ / "real"));
    EXPECT_EQ(place.searched, (std::vector<std::string>{withSlash(root_ / "real" / "Roms"),
                                                        withSlash(root_ / "links" / "Roms")}));
}

TEST_F(RomSetLookup, TheCurrentDirectoryWhenNoWholeSetIsBesideTheProgram) {
    const fs::path real = program(root_ / "bin");
    writeSet(root_ / "bin" / "Roms", 1000);  // too short: no whole set
    writeSet(root_ / "work" / "Roms");
    fs::current_path(root_ / "work");
    RomSetPlace place = locateRomSet("", real.string(), real.string());
    EXPECT_EQ(place.prefix, "./");
    EXPECT_EQ(place.searched, (std::vector<std::string>{withSlash(root_ / "bin" / "Roms"),
                                                        withSlash(root_ / "work" / "Roms")}));
    // Neither holds one: the program's directory, whose failure the console shows.
    fs::remove(root_ / "work" / "Roms" / "CH1");
    place = locateRomSet("", real.string(), real.string());
    EXPECT_EQ(place.prefix, withSlash(root_ / "bin"));
    EXPECT_EQ(place.searched.size(), 2u);
    // The program's directory is the current one: looked in once.
    fs::current_path(root_ / "bin");
    place = locateRomSet("", "./bevorel", real.string());
    EXPECT_EQ(place.prefix, "./");
    EXPECT_EQ(place.searched, std::vector<std::string>{withSlash(root_ / "bin" / "Roms")});
}

TEST_F(RomSetLookup, AProgramDirectoryTooLongForTheBoardLeavesTheCurrentDirectory) {
    fs::path deep = root_;
    while (deep.string().size() < 1100) deep /= std::string(100, 'd');
    const fs::path real = program(deep);
    writeSet(deep / "Roms");
    fs::current_path(root_);
    RomSetPlace place = locateRomSet("", real.string(), real.string());
    EXPECT_TRUE(place.programPathTooLong);
    EXPECT_EQ(place.prefix, "./");
    EXPECT_EQ(place.searched, std::vector<std::string>{withSlash(root_ / "Roms")});
    // A short spelling of the same directory (a link to it) is used instead.
    fs::create_directory_symlink(deep, root_ / "short");
    place = locateRomSet("", (root_ / "short" / "bevorel").string(), real.string());
    EXPECT_FALSE(place.programPathTooLong);
    EXPECT_EQ(place.prefix, withSlash(root_ / "short"));
}

TEST(RomSetText, NamesWhereItLookedWhyAndTheSixFiles) {
    RomSetPlace place;
    place.searched = {"/opt/bevorel/Roms/", "/home/me/Roms/"};
    const std::string text = missingRomSetText(place, "/opt/bevorel/Roms/CH2 is missing");
    EXPECT_EQ(text.rfind("No ROM set could be loaded. It was looked for in /opt/bevorel/Roms/ and /home/me/Roms/.\n\n"
                         "/opt/bevorel/Roms/CH2 is missing.\n\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("PELLMORA.2A, PELLMORA.3A, CH0, CH1, CH2 and CH3"), std::string::npos) << text;
    place.searched = {"/srv/set/"};
    EXPECT_EQ(missingRomSetText(place, "").rfind("No ROM set could be loaded from /srv/set/.\n\nA ROM set", 0), 0u);
}
