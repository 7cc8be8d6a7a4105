// The real client: Debian's gdb-multiarch in batch mode against the program
// started headless with --gdb on a port the system picks, running the demo.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

#include "child_process.h"

namespace {

namespace fs = std::filesystem;

constexpr double kSeconds = 240;        // a hang guard: sanitizer builds are slow
constexpr uint32_t kStatus = 0x100000;  // the demo's status block in work RAM

// The long at a 68000 address of the ROM set's program (even bytes in
// PELLMORA.3A, odd bytes in PELLMORA.2A).
uint32_t rom_long(const fs::path& roms, uint32_t address) {
    std::ifstream even(roms / "PELLMORA.3A", std::ios::binary);
    std::ifstream odd(roms / "PELLMORA.2A", std::ios::binary);
    uint32_t value = 0;
    for (uint32_t a = address; a < address + 4; ++a) {
        std::ifstream& file = (a & 1) ? odd : even;
        file.seekg(a / 2);
        value = value << 8 | static_cast<uint8_t>(file.get());
    }
    return value;
}

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", v);
    return text;
}

bool has(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern));
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The program on the demo ROM set, waiting for gdb, and gdb run on a script.
class GdbClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_STRNE(GDB_MULTIARCH, "") << "gdb-multiarch is not installed: run tools/install-deps.sh";
    }
    void TearDown() override {
        if (!script_.empty()) fs::remove(script_);
    }

    // Starts the program, which shows `frames` frames at `speed` once gdb
    // lets the game run, then quits.
    void start_board(const char* speed, int frames) {
        board_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{kProgram.string(), "--boot", "--gdb", "0", "--speed", speed, "--frames",
                                     std::to_string(frames)},
            std::vector<std::string>{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
        ASSERT_TRUE(board_->started());
        const std::regex listening("GDB server listening on 127\\.0\\.0\\.1:([0-9]+)");
        ASSERT_TRUE(board_->read_until([&](const std::string& out) { return std::regex_search(out, listening); },
                                       kSeconds))
            << board_->output();
        std::smatch port;
        std::regex_search(board_->output(), port, listening);
        port_ = port[1];
    }

    // Starts gdb on the commands after connecting.
    ChildProcess& start_gdb(const std::string& commands) {
        script_ = fs::temp_directory_path() / ("bevorel_gdb_" + std::to_string(getpid()) + ".gdb");
        std::ofstream(script_) << "set pagination off\n"
                                  "set confirm off\n"
                                  "set architecture m68k\n"
                                  "set endian big\n"
                                  "target remote 127.0.0.1:" << port_ << "\n" << commands;
        gdb_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{GDB_MULTIARCH, "-nx", "-batch", "-x", script_.string()},
            std::vector<std::string>{});
        return *gdb_;
    }
    // After gdb: the game runs its frames and quits by itself.
    void expect_the_game_ran_on() {
        ASSERT_TRUE(board_->wait(kSeconds)) << board_->output();
        EXPECT_EQ(board_->status(), 0) << board_->output();
        EXPECT_TRUE(has(board_->output(), "Average fps : ")) << board_->output();
    }

    const fs::path kProgram = BEVOREL_PROGRAM;
    const fs::path kRoms = kProgram.parent_path() / "Roms";
    std::unique_ptr<ChildProcess> board_, gdb_;
    std::string port_;
    fs::path script_;
};

// Registers, a breakpoint at the demo's frame-interrupt handler (found in the
// ROM set's vector table), a step, work RAM, an input port and the palette
// read and written, a watched RAM word, and a detach.
TEST_F(GdbClient, DebugsTheDemoAndDetaches) {
    const uint32_t stack = rom_long(kRoms, 0);
    const uint32_t reset = rom_long(kRoms, 4);
    const uint32_t handler = rom_long(kRoms, 28 * 4);  // vector 28: the frame interrupt
    ASSERT_TRUE(handler >= 0x100 && handler != reset) << "no frame-interrupt handler in " << kRoms;
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 120));

    ChildProcess& gdb = start_gdb("info registers\n"
                                  "break *" + hex(handler) + "\n"
                                  "continue\n"
                                  "printf \"stopped pc=%x\\n\", $pc\n"
                                  "stepi\n"
                                  "printf \"stepped pc=%x\\n\", $pc\n"
                                  "x/wx " + hex(kStatus) + "\n"
                                  "x/hx 0x500000\n"
                                  "set var *(unsigned int *)0x103f00 = 0x12345678\n"
                                  "x/wx 0x103f00\n"
                                  "set var *(unsigned short *)0x600002 = 0x7c1f\n"
                                  "x/hx 0x600002\n"
                                  "delete 1\n"
                                  "watch *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "continue\n"
                                  "printf \"watched pc=%x\\n\", $pc\n"
                                  "delete\n"
                                  "detach\n");
    ASSERT_TRUE(gdb.wait(kSeconds)) << gdb.output();
    const std::string& out = gdb.output();
    EXPECT_EQ(gdb.status(), 0) << out;

    // The registers at attach: the reset's, since the game waits for gdb at
    // its first frame.
    EXPECT_TRUE(has(out, "\nsp +" + hex(stack) + " ")) << out;
    EXPECT_TRUE(has(out, "\nps +0x2700 ")) << out;
    EXPECT_TRUE(has(out, "\npc +" + hex(reset) + " ")) << out;
    // At the handler, then one instruction further.
    EXPECT_TRUE(has(out, "Breakpoint 1, 0x0*" + hex(handler).substr(2) + " in")) << out;
    EXPECT_TRUE(has(out, "stopped pc=" + hex(handler).substr(2) + "\n")) << out;
    std::smatch stepped;
    ASSERT_TRUE(std::regex_search(out, stepped, std::regex("stepped pc=([0-9a-f]+)"))) << out;
    const uint32_t after = static_cast<uint32_t>(std::stoul(stepped[1], nullptr, 16));
    EXPECT_GT(after, handler);
    EXPECT_LE(after, handler + 10);  // one instruction is at most ten bytes
    // Memory: the demo's magic word, the input port with nothing pressed
    // (player byte 0x7F, 0xFF outside service mode), a RAM word and a palette
    // entry written and read back through the board.
    EXPECT_TRUE(has(out, "0x100000:\t0x44454d4f\n")) << out;
    EXPECT_TRUE(has(out, "0x500000:\t0x7fff\n")) << out;
    EXPECT_TRUE(has(out, "0x103f00:\t0x12345678\n")) << out;
    EXPECT_TRUE(has(out, "0x600002:\t0x7c1f\n")) << out;
    // The count of vector 28 goes up by one.
    std::smatch change;
    ASSERT_TRUE(std::regex_search(out, change,
                                  std::regex("Hardware watchpoint 2: .*\n\nOld value = ([0-9]+)\nNew value = ([0-9]+)")))
        << out;
    EXPECT_EQ(std::stoul(change[2]), std::stoul(change[1]) + 1) << out;
    EXPECT_TRUE(has(out, "watched pc=[0-9a-f]+\n")) << out;
    EXPECT_TRUE(has(out, "\\[Inferior 1 \\(Remote target\\) detached\\]")) << out;

    expect_the_game_ran_on();
}

// Ctrl-C: gdb, interrupted while the game runs, sends the interrupt byte and
// the game stops; kill then resets the board, which runs on. At 60 frames a
// second the game is still running when gdb is interrupted.
TEST_F(GdbClient, InterruptsTheRunningGameAndKillsIt) {
    ASSERT_NO_FATAL_FAILURE(start_board("60", 600));
    ChildProcess& gdb = start_gdb("printf \"continuing\\n\"\n"
                                  "continue\n"
                                  "printf \"interrupted pc=%x\\n\", $pc\n"
                                  "kill\n");
    ASSERT_TRUE(gdb.read_until([](const std::string& out) { return out.find("continuing\n") != std::string::npos; },
                               kSeconds))
        << gdb.output();
    std::this_thread::sleep_for(std::chrono::seconds(1));  // until gdb waits for the running target
    gdb.send_signal(SIGINT);
    ASSERT_TRUE(gdb.wait(kSeconds)) << gdb.output();
    const std::string& out = gdb.output();
    EXPECT_EQ(gdb.status(), 0) << out;
    EXPECT_TRUE(has(out, "Program received signal SIGINT, Interrupt.")) << out;
    EXPECT_TRUE(has(out, "interrupted pc=[0-9a-f]+\n")) << out;
    EXPECT_TRUE(has(out, "\\[Inferior 1 \\(Remote target\\) killed\\]")) << out;

    expect_the_game_ran_on();
    // Start-up, boot, and the reset of the kill.
    EXPECT_EQ(count(board_->output(), "CPU Reset...Success"), 3u) << board_->output();
}

// A port that is taken: the program says so and starts nothing.
TEST(GdbPort, ATakenPortIsRefusedWithAMessage) {
    const int taken = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));

    ChildProcess board({BEVOREL_PROGRAM, "--boot", "--gdb", port}, {"SDL_VIDEODRIVER=dummy"});
    ASSERT_TRUE(board.wait(kSeconds)) << board.output();
    close(taken);
    EXPECT_EQ(board.status(), 1);
    EXPECT_TRUE(has(board.output(), "--gdb: cannot listen on 127\\.0\\.0\\.1:" + port + ": ")) << board.output();
    EXPECT_FALSE(has(board.output(), "Loading ROMS")) << board.output();
}

}  // namespace
