// Where the ROM set is looked for, with temporary directories: the directory
// given, else Roms/ beside the program's real file, then Roms/ in the current
// directory; which files a set lacks; what the window says without one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_dir.h"
#include "rom_set_location.h"

namespace fs = std::filesystem;

namespace {

// A fresh directory, and the current directory put back, for each test.
class RomSetLookup : public ::testing::Test {
protected:
    void TearDown() override { fs::current_path(before_); }
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
    TempDir dir_;
    const fs::path root_ = dir_.path(), before_ = fs::current_path();
};

std::string withSlash(const fs::path& dir) { return dir.string() + "/"; }

}  // namespace

// Each row: a tree under a fresh root ("P dir": a program file in dir, "S
// dir": a whole set, "s dir": a set of short files, "L link target": a link),
// the current directory, then what locateRomSet is given and what it finds.
// "@" in paths stands for the root.
TEST_F(RomSetLookup, WhereTheSetIsLookedForAndFound) {
    const struct {
        const char* name;
        std::vector<std::string> tree;
        std::string cwd, given, argv0, real, prefix;
        std::vector<std::string> searched;  // empty: not checked
        std::vector<std::string> dataDirs = {};
    } rows[] = {
        {"a given directory", {"S my set"}, "", "my set", "/usr/games/bevorel", "/usr/games/bevorel", "my set/",
         {"@/my set/"}},
        {"a given file or archive: its directory, itself searched", {"s my set"}, "", "my set/../sets/demo.zip", "x",
         "", "my set/../sets/", {"@/sets/demo.zip"}},
        {"beside the program, as argv[0] spells it", {"P opt/bin", "S opt/bin/Roms"}, "", "", "opt/bin/bevorel",
         "@/opt/bin/bevorel", "opt/bin/", {"@/opt/bin/Roms/", "@/Roms/", "@/opt/share/bevorel/Roms/"}},
        {"unknown real path: argv[0]'s directory", {"P opt/bin", "S opt/bin/Roms"}, "", "", "opt/bin/bevorel", "",
         "opt/bin/", {}},
        {"through a link the set beside the real file wins",
         {"P real", "S real/Roms", "L links/bevorel real/bevorel", "S links/Roms"}, "links", "", "@/links/bevorel",
         "@/real/bevorel", "@/real/", {"@/real/Roms/", "@/links/Roms/", "@/share/bevorel/Roms/"}},
        {"the current directory when no whole set is beside the program", {"P bin", "s bin/Roms", "S work/Roms"},
         "work", "", "@/bin/bevorel", "@/bin/bevorel", "./", {"@/bin/Roms/", "@/work/Roms/", "@/share/bevorel/Roms/"}},
        {"neither holds one: the program's directory", {"P bin", "s bin/Roms", "s work/Roms"}, "work", "",
         "@/bin/bevorel", "@/bin/bevorel", "@/bin/", {"@/bin/Roms/", "@/work/Roms/", "@/share/bevorel/Roms/"}},
        {"the program's directory is the current one: looked in once", {"P bin", "S bin/Roms"}, "bin", "",
         "./bevorel", "@/bin/bevorel", "./", {"@/bin/Roms/", "@/share/bevorel/Roms/"}},
        {"installed: in the first data directory that holds it, each place once", {"P usr/bin", "S usr/share/bevorel/Roms"},
         "", "", "@/usr/bin/bevorel", "@/usr/bin/bevorel", "@/usr/share/bevorel/",
         {"@/usr/bin/Roms/", "@/Roms/", "@/usr/local/share/bevorel/Roms/", "@/usr/share/bevorel/Roms/"},
         {"@/usr/local/share", "@/usr/share/"}},
        {"unpacked: share/bevorel beside the program's real directory", {"P pkg/usr/bin", "S pkg/usr/share/bevorel/Roms"},
         "", "", "@/pkg/usr/bin/bevorel", "@/pkg/usr/bin/bevorel", "@/pkg/usr/share/bevorel/",
         {"@/pkg/usr/bin/Roms/", "@/Roms/", "@/nowhere/bevorel/Roms/", "@/pkg/usr/share/bevorel/Roms/"}, {"@/nowhere"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        fs::current_path(before_);
        fs::remove_all(root_);
        fs::create_directories(root_);
        const auto at = [&](std::string text) {
            if (text.rfind('@', 0) == 0) text = root_.string() + text.substr(1);
            return text;
        };
        for (const std::string& entry : r.tree) {
            const std::string path = entry.substr(2);
            if (entry[0] == 'P') program(root_ / path);
            if (entry[0] == 'S' || entry[0] == 's') writeSet(root_ / path, entry[0] == 'S' ? 131072 : 1000);
            if (entry[0] == 'L') {
                const size_t space = path.find(' ');
                fs::create_directories((root_ / path.substr(0, space)).parent_path());
                fs::create_symlink(root_ / path.substr(space + 1), root_ / path.substr(0, space));
            }
        }
        fs::current_path(root_ / r.cwd);
        std::vector<std::string> dataDirs;
        for (const std::string& d : r.dataDirs) dataDirs.push_back(at(d));
        const RomSetPlace place = locateRomSet(r.given, at(r.argv0), at(r.real), dataDirs);
        EXPECT_EQ(place.given, !r.given.empty());
        EXPECT_EQ(place.prefix, at(r.prefix));
        if (r.searched.empty()) continue;
        std::vector<std::string> searched;
        for (const std::string& s : r.searched) searched.push_back(at(s));
        EXPECT_EQ(place.searched, searched);
    }
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
