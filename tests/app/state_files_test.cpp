// The program's files: where the XDG directories are, slot file names, files
// replaced atomically (also when the write is cut off or the process dies in
// the middle of it), and small files read whole.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "atomic_file.h"
#include "file_text.h"
#include "isolated_home.h"
#include "scoped_environment.h"
#include "state_slots.h"
#include "xdg_dirs.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The names in a directory, hidden ones included.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `body` in a child process and gives how it ended (as waitpid).
int inChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

class StateFiles : public ::testing::Test {
protected:
    void SetUp() override { test_home::isolatedHome().clear(); }
    fs::path dir() const { return test_home::isolatedHome().data() / "files"; }
};

}  // namespace

TEST_F(StateFiles, XdgDirectoriesFollowTheVariablesWhenAbsoluteElseTheHome) {
    Environment env;
    const std::string config = test_home::isolatedHome().config().string();
    fs::create_directories(config);
    env.set("HOME", "/home/player");
    env.set("XDG_CONFIG_HOME", config.c_str());  // where user-dirs.dirs is read
    const std::string share = "/home/player/.local/share";
    const struct {
        const char* variable;  // XDG_DATA_HOME and XDG_PICTURES_DIR; nullptr: unset
        const char* userDirs;
        std::string data, pictures;
    } rows[] = {
        {"/srv/data", "", "/srv/data", "/srv/data"},
        {"relative", "", share, "/home/player/Pictures"},  // not valid: ignored
        {nullptr, "# by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder/\"\n", share,
         "/home/player/Bilder"},
        {"", "  XDG_PICTURES_DIR=\"/data/photos\"\n", share, "/data/photos"},
        {nullptr, "XDG_PICTURES_DIR=\"Pictures\"\nXDG_PICTURES_DIR=\"$HOMEX/p\"\n", share, "/home/player/Pictures"},
    };
    for (const auto& r : rows) {
        env.set("XDG_DATA_HOME", r.variable);
        env.set("XDG_PICTURES_DIR", r.variable);
        writeFile(fs::path(config) / "user-dirs.dirs", r.userDirs);
        EXPECT_EQ(xdgDataHome(), r.data);
        EXPECT_EQ(stateDirectory(), r.data + "/bevorel/states");
        EXPECT_EQ(xdgPicturesDir(), r.pictures) << r.userDirs;
    }
    EXPECT_EQ(xdgConfigHome(), config);
    const std::vector<std::string> usual = {"/usr/local/share", "/usr/share"};
    for (const auto& [variable, dirs] : std::vector<std::pair<const char*, std::vector<std::string>>>{
             {nullptr, usual}, {"", usual}, {"rel:ative", usual}, {":/opt/a::b:/usr/share/:", {"/opt/a", "/usr/share/"}}}) {
        env.set("XDG_DATA_DIRS", variable);
        EXPECT_EQ(xdgDataDirs(), dirs) << (variable ? variable : "unset");
    }
    env.set("XDG_CONFIG_HOME", "");
    EXPECT_EQ(xdgConfigHome(), "/home/player/.config");
    EXPECT_EQ(slotPath(0x0123456789ABCDEFull, 3), share + "/bevorel/states/0123456789abcdef-slot3.state");
    EXPECT_EQ(slotPath(0xFEDCBA9876543210ull, 0), share + "/bevorel/states/fedcba9876543210-slot0.state");
}

TEST_F(StateFiles, AnAtomicWriteMakesTheDirectoriesAndReplacesTheFileLeavingNothingElse) {
    const fs::path path = dir() / "deeper" / "slot.state";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path.string(), "first", 5, error)) << error;
    EXPECT_EQ(fileText(path), "first");
    ASSERT_TRUE(writeFileAtomically(path.string(), "the second", 10, error)) << error;
    EXPECT_EQ(fileText(path), "the second");
    EXPECT_EQ(namesIn(path.parent_path()), std::vector<std::string>{"slot.state"});
    EXPECT_EQ(fs::status(dir()).permissions() & fs::perms::all, fs::perms::owner_all) << "made private";

    // Through a symbolic link: the file it leads to, with its permissions.
    const fs::path link = dir() / "link.state";
    fs::create_symlink("deeper/slot.state", link);
    fs::permissions(path, fs::perms(0640));
    ASSERT_TRUE(writeFileAtomically(link.string(), "third", 5, error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fileText(path), "third");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
}

TEST_F(StateFiles, AWriteThatCannotHappenSaysWhyAndKeepsTheOldFile) {
    fs::create_directories(dir());
    writeFile(dir() / "in-the-way", "a file");
    std::string error;
    EXPECT_FALSE(writeFileAtomically((dir() / "in-the-way" / "slot.state").string(), "x", 1, error));
    EXPECT_EQ(error, (dir() / "in-the-way").string() + " is not a directory");

    writeFile(dir() / "read-only", "kept");
    fs::permissions(dir() / "read-only", fs::perms(0444));
    EXPECT_FALSE(writeFileAtomically((dir() / "read-only").string(), "x", 1, error));
    EXPECT_EQ(error, (dir() / "read-only").string() + " is read-only");
    EXPECT_EQ(fileText(dir() / "read-only"), "kept");

    fs::create_directories(dir() / "slot.state");  // a directory where the file goes
    EXPECT_FALSE(writeFileAtomically((dir() / "slot.state").string(), "x", 1, error));
    EXPECT_EQ(error.rfind("cannot replace " + (dir() / "slot.state").string() + ": ", 0), 0u) << error;
    EXPECT_EQ(namesIn(dir()), (std::vector<std::string>{"in-the-way", "read-only", "slot.state"}))
        << "no temporary left";
}

// A file size limit makes the write fail part of the way through, as a full
// disk does: the old file stays, whole, and no temporary file is left.
TEST_F(StateFiles, AWriteCutOffPartWayKeepsTheOldFileWhole) {
    fs::create_directories(dir());
    const fs::path path = dir() / "slot.state";
    const std::string old(20000, 'o');
    writeFile(path, old);
    const std::string larger(60000, 'n');
    std::string error;
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        const rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = writeFileAtomically(path.string(), larger.data(), larger.size(), error);
        return !written && error == "cannot write " + path.string() + ": File too large" ? 0 : 1;
    });
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failed write was not reported as such";
    EXPECT_EQ(fileText(path), old);
    EXPECT_EQ(namesIn(dir()), std::vector<std::string>{"slot.state"});
}

// The process dies in the middle of the write (the signal of an exceeded
// file size ends it there): the file is the old one, whole. An unnamed
// temporary file leaves nothing; a named one is removed at the next start,
// once it is no longer new.
TEST_F(StateFiles, AProcessKilledInTheMiddleOfAWriteLeavesTheOldFile) {
    fs::create_directories(dir());
    const fs::path path = dir() / "slot.state";
    const std::string old(20000, 'o');
    const std::string larger(60000, 'n');
    for (const TemporaryFile kind : {TemporaryFile::Unnamed, TemporaryFile::Named}) {
        writeFile(path, old);
        const int status = inChild([&] {
            const rlimit limit{8192, 8192};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::string error;
            writeFileAtomically(path.string(), larger.data(), larger.size(), error, 0600, kind);
            return 0;
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the child was not stopped mid-write";
        EXPECT_EQ(fileText(path), old);
        const std::vector<std::string> names = namesIn(dir());
        ASSERT_EQ(names.size(), kind == TemporaryFile::Unnamed ? 1u : 2u);
        std::string error;
        ASSERT_TRUE(writeFileAtomically(path.string(), larger.data(), larger.size(), error, 0600, kind)) << error;
        EXPECT_EQ(fileText(path), larger) << "the next write replaces it";
    }
    const std::string left = namesIn(dir()).front();  // ".slot.state.XXXXXX" sorts first
    ASSERT_EQ(left.rfind(".slot.state.", 0), 0u) << left;
    const auto isSlot = [](const std::string& name) { return name == "slot.state"; };
    EXPECT_EQ(removeStaleTemporaries(dir().string(), isSlot), 0) << "a new one may be a write under way";
    // Other names of the same shape, or a directory, are not the program's.
    for (const char* other : {".slot.state.AB", ".other.state.ABCDEF", ".slot.state.ABC-EF", "slot.state.ABCDEF"})
        writeFile(dir() / other, "x");
    fs::create_directory(dir() / ".slot.state.DIRECT");
    for (const auto& entry : fs::directory_iterator(dir()))
        fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::minutes(2));
    EXPECT_EQ(removeStaleTemporaries(dir().string(), isSlot), 1);
    EXPECT_FALSE(fs::exists(dir() / left));
    EXPECT_EQ(namesIn(dir()).size(), 6u);
}

TEST_F(StateFiles, ReadingWholeTakesAFileUpToTheLimit) {
    fs::create_directories(dir());
    writeFile(dir() / "small", "0123456789");
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_EQ(readWholeFile((dir() / "small").string(), 10, bytes, error), ReadStatus::Read) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    EXPECT_EQ(readWholeFile((dir() / "small").string(), 9, bytes, error), ReadStatus::Failed);
}

TEST_F(StateFiles, ASlotHoldsAStateWhenARegularFileIsThere) {
    fs::create_directories(slotPath(1, 4));
    EXPECT_FALSE(slotHoldsState(1, 4)) << "a directory";
    writeFile(slotPath(1, 2), "s");
    EXPECT_TRUE(slotHoldsState(1, 2));
}
