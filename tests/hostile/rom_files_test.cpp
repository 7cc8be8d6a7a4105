// ROM files that are not what they should be, through the board's start-up:
// empty, short, huge and sparse, directories, FIFOs, devices, sockets,
// unreadable files, dangling and looping links, paths through a regular
// file. Each must be refused with the start-up's report and leave the CPU
// untouched, never block, and never cost more than the 128 KiB a file gives.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "board.h"
#include "hostile_support.h"

using namespace hostile;

namespace {

const std::string kLoaded =
    "Loading ROMS...Ok.\n"
    "Allocating On-board memory...Ok.\n"
    "\nCPU(Motorola 68000 8.000000 Mhz) init...Ok\n"
    "Initializing memory mapping...Ok\n"
    "CPU Reset...Success\n"
    "\tInitial Stack pointer   : 0x00104000\n"
    "\tInitial Program counter : 0x00000400\n";

ProgramImage program() {
    ProgramImage image(0x00104000, 0x400);
    image.words(0x400, {0x60FE});  // bra.s *
    return image;
}

// A value no start-up would leave in the PC: start-up that stops before the
// reset leaves it there, so nothing was set up to run.
constexpr uint32_t kUntouchedPc = 0x00ABCDE0;

std::string startUp(const std::string& prefix) {
    _s68000context.pc = kUntouchedPc;
    Watchdog watchdog(30, "board start-up on " + prefix);
    return consoleOf([&] { EXPECT_EQ(pm_initAll(prefix.c_str()), 0); });
}

// The report names `file`, the first that does not load, and why, in
// parentheses before "Failed".
void expectRefused(const std::string& prefix, const fs::path& file) {
    const std::string out = startUp(prefix);
    EXPECT_EQ(out.rfind(banner(prefix) + "Loading ROMS...(" + file.string() + " ", 0), 0u) << out;
    EXPECT_TRUE(out.ends_with(")Failed\n\n")) << out;
    EXPECT_EQ(_s68000context.pc, kUntouchedPc) << "start-up went on to reset the CPU";
}

// ---- One file of the set replaced by something hostile ----

enum class Kind { Empty, OneByteShort, Directory, Fifo, FifoWithWriter, DanglingLink, LinkLoop,
                  ThroughRegularFile, CharacterDevice, Socket, Unreadable };

struct Case {
    Kind kind;
    const char* name;
};

const Case kCases[] = {
    {Kind::Empty, "Empty"},
    {Kind::OneByteShort, "OneByteShort"},
    {Kind::Directory, "Directory"},
    {Kind::Fifo, "Fifo"},
    {Kind::FifoWithWriter, "FifoWithASilentWriter"},
    {Kind::DanglingLink, "DanglingLink"},
    {Kind::LinkLoop, "LinkLoop"},
    {Kind::ThroughRegularFile, "PathThroughARegularFile"},
    {Kind::CharacterDevice, "LinkToDevZero"},
    {Kind::Socket, "Socket"},
    {Kind::Unreadable, "Unreadable"},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class HostileRomFile : public ::testing::TestWithParam<std::tuple<Case, int>> {
protected:
    void TearDown() override {
        if (writer_ >= 0) close(writer_);
        if (socket_ >= 0) close(socket_);
    }

    // Replaces `name` in the set by the hostile kind of file.
    void makeHostile(Kind kind, const std::string& name) {
        const fs::path path = set_.file(name);
        fs::remove(path);
        switch (kind) {
            case Kind::Empty: set_.write(name, {}); break;
            case Kind::OneByteShort: set_.write(name, std::vector<uint8_t>(kRomFileSize - 1, 0x4E)); break;
            case Kind::Directory: fs::create_directory(path); break;
            case Kind::Fifo: ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); break;
            case Kind::FifoWithWriter:
                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
                // A reader opened first keeps the non-blocking writer's open
                // from failing; it is closed again so only the writer remains.
                {
                    const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
                    ASSERT_GE(reader, 0);
                    writer_ = open(path.c_str(), O_WRONLY | O_NONBLOCK);
                    close(reader);
                }
                ASSERT_GE(writer_, 0);
                break;
            case Kind::DanglingLink: fs::create_symlink("nowhere/" + name, path); break;
            case Kind::LinkLoop:
                fs::create_symlink(name + ".loop", path);
                fs::create_symlink(name, set_.file(name + ".loop"));
                break;
            case Kind::ThroughRegularFile:
                set_.write(name + ".file", std::vector<uint8_t>(2 * kRomFileSize, 0));
                fs::create_symlink(name + ".file/" + name, path);
                break;
            case Kind::CharacterDevice: fs::create_symlink("/dev/zero", path); break;
            case Kind::Socket: {
                socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
                ASSERT_GE(socket_, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                ASSERT_LT(path.string().size(), sizeof address.sun_path);
                std::strcpy(address.sun_path, path.c_str());
                ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                ASSERT_EQ(listen(socket_, 1), 0);
                break;
            }
            case Kind::Unreadable:
                set_.write(name, std::vector<uint8_t>(kRomFileSize, 0x4E));
                fs::permissions(path, fs::perms::none);
                break;
        }
    }

    RomSet set_;
    int writer_ = -1;
    int socket_ = -1;
};

TEST_P(HostileRomFile, IsRefusedAndNothingIsSetUpToRun) {
    const auto& [hostileCase, index] = GetParam();
    const std::string name = kRomNames[index];
    if (hostileCase.kind == Kind::Unreadable && geteuid() == 0)
        GTEST_SKIP() << "running as root: file permissions do not keep root from reading the file";

    set_.writeComplete(program());
    ASSERT_EQ(startUp(set_.prefix()), banner(set_.prefix()) + kLoaded) << "the intact set must load";
    makeHostile(hostileCase.kind, name);
    if (HasFatalFailure()) return;
    expectRefused(set_.prefix(), set_.file(name));

    // The same set loads again once the file is whole.
    set_.writeComplete(program());
    EXPECT_EQ(startUp(set_.prefix()), banner(set_.prefix()) + kLoaded);
}

INSTANTIATE_TEST_SUITE_P(EveryFile, HostileRomFile,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Range(0, 6)),
                         [](const auto& info) {
                             std::string file = kRomNames[std::get<1>(info.param)];
                             file.erase(std::remove(file.begin(), file.end(), '.'), file.end());
                             return std::string(std::get<0>(info.param).name) + "_" + file;
                         });

// ---- The directory itself ----

TEST(HostileRomDirectory, MissingRomsDirectory) {
    TempDir dir;
    expectRefused(dir.prefix(), dir.path() / "Roms" / "PELLMORA.2A");
}

TEST(HostileRomDirectory, RomsIsARegularFile) {
    TempDir dir;
    std::ofstream(dir.path() / "Roms") << "not a directory";
    expectRefused(dir.prefix(), dir.path() / "Roms" / "PELLMORA.2A");
}

TEST(HostileRomDirectory, ProgramDirectoryIsARegularFile) {
    RomSet set;
    set.writeComplete(program());
    const std::string prefix = (set.file("CH0")).string() + "/";  // "directory" CH0/ is a file
    expectRefused(prefix, set.file("CH0") / "Roms" / "PELLMORA.2A");
}

TEST(HostileRomDirectory, RomsIsADanglingLink) {
    TempDir dir;
    fs::create_symlink(dir.path() / "gone", dir.path() / "Roms");
    expectRefused(dir.prefix(), dir.path() / "Roms" / "PELLMORA.2A");
}

TEST(HostileRomDirectory, GraphicsOnlySetNamesTheGraphicsNever) {
    // Program files missing and graphics present: the program is what fails.
    RomSet set;
    set.writeGraphics();
    expectRefused(set.prefix(), set.file("PELLMORA.2A"));
}

// ---- Huge sparse files: constant memory and time ----

TEST(HugeRomFiles, SparseFilesOfSeveralGiBLoadTheirFirst128KiBInConstantMemoryAndTime) {
    constexpr off_t kHuge = off_t{6} << 30;  // 6 GiB each
    RomSet set;
    ProgramImage image = program();
    image.words(0x3FFFE, {0x1234});
    set.writeComplete(image);
    for (const char* name : {"PELLMORA.2A", "PELLMORA.3A", "CH3"})
        ASSERT_EQ(truncate(set.file(name).c_str(), kHuge), 0) << name;
    // One more file that is nothing but a hole.
    {
        const int fd = open(set.file("CH1").c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, kHuge), 0);
        close(fd);
    }

    const long rssBefore = peakRssKiB();
    const double start = secondsNow();
    const std::string out = startUp(set.prefix());
    const double elapsed = secondsNow() - start;
    const long rssGrowth = peakRssKiB() - rssBefore;

    EXPECT_EQ(out, banner(set.prefix()) + kLoaded);
    EXPECT_EQ(s68000fetch(0x3FFFE), 0x1234u);  // the last word of the 128 KiB each file gives
    EXPECT_EQ(tilesRom[0x40000], 0);           // CH1, a hole, reads as zeros
    EXPECT_EQ(tilesRom[0xC0000], (3 >> 4));    // CH3 byte 0 is 3: pixels 0 and 3
    EXPECT_EQ(tilesRom[0xC0001], 3);
    // 24 GiB of files: reading them whole would take gigabytes and seconds.
    EXPECT_LT(rssGrowth, 64 * 1024) << "peak resident set grew by " << rssGrowth << " KiB";
    EXPECT_LT(elapsed, 1.0) << "start-up took " << elapsed << " s";
}

}  // namespace
