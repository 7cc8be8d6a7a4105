// The real client: Debian's gdb-multiarch in batch mode against the program
// started headless with --gdb on a port the system picks, running the demo.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <vector>

#include "child_process.h"
#include "cpudebug.h"
#include "monitor_output.h"
#include "s68000.h"

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

// What the console monitor's `print` prints over the ROM set's program,
// mapped at 0 as the board maps it: the reference for gdb's `monitor`.
std::string console_text(const fs::path& roms, void (*print)()) {
    std::ifstream even(roms / "PELLMORA.3A", std::ios::binary), odd(roms / "PELLMORA.2A", std::ios::binary);
    std::vector<uint16_t> image;
    for (int high, low; (high = even.get()) != EOF && (low = odd.get()) != EOF;)
        image.push_back(static_cast<uint16_t>(high << 8 | low));
    program_region fetch[2] = {s68000_program(0, 2 * static_cast<uint32_t>(image.size()) - 1, image.data()),
                               s68000_program_end()};
    _s68000context.s_fetch = fetch;
    MonitorCapture capture;
    print();
    _s68000context.s_fetch = nullptr;
    return capture.text();
}

// The number of the first line of a source file that holds `text`.
int line_of(const fs::path& file, const std::string& text) {
    std::ifstream in(file);
    int number = 1;
    for (std::string line; std::getline(in, line); ++number)
        if (line.find(text) != std::string::npos) return number;
    return 0;
}

// The text gdb printed between two `echo` marks.
std::string between(const std::string& out, const std::string& from, const std::string& to) {
    const size_t start = out.find(from), end = out.find(to);
    if (start == std::string::npos || end == std::string::npos || end < start) return "<no " + from + ">";
    return out.substr(start + from.size(), end - start - from.size());
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

    // Starts gdb, with the program file if given, on the commands after connecting.
    ChildProcess& start_gdb(const std::string& commands, const std::string& program = "") {
        script_ = fs::temp_directory_path() / ("bevorel_gdb_" + std::to_string(getpid()) + ".gdb");
        std::ofstream(script_) << "set pagination off\n"
                                  "set confirm off\n"
                                  "set architecture m68k\n"
                                  "set endian big\n"
                                  "target remote 127.0.0.1:" << port_ << "\n" << commands;
        std::vector<std::string> argv{GDB_MULTIARCH, "-nx", "-batch", "-x", script_.string()};
        if (!program.empty()) argv.push_back(program);
        gdb_ = std::make_unique<ChildProcess>(argv, std::vector<std::string>{});
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
// ROM set's vector table), the console monitor's dumps there, a step, work
// RAM, an input port and the palette read and written, a watched RAM word,
// and a detach.
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
                                  "printf \"gdb: d0=%08X a2=%08X a7=%08X\\n\", $d0, $a2, $sp\n"
                                  "echo <r>\\n\nmonitor r\necho <u>\\n\n"
                                  "monitor u " + hex(handler) + "\nmonitor u\necho <d>\\n\n"
                                  "monitor d 0\necho <end>\\n\n"
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
    // The console monitor's text: registers as gdb has them and the
    // instruction at the PC, 32 instructions in two listings, the vectors.
    const std::string registers = between(out, "<r>\n", "<u>\n");
    std::smatch values;
    ASSERT_TRUE(std::regex_search(out, values, std::regex("gdb: (d0=\\S+) (a2=\\S+) (a7=\\S+)\n"))) << out;
    for (int n = 1; n <= 3; ++n) EXPECT_NE(registers.find(values[n]), std::string::npos) << values[n] << registers;
    debugpc = handler;
    EXPECT_TRUE(registers.ends_with(console_text(kRoms, [] { cpudebug_disassemble(1); }))) << registers;
    debugpc = handler;
    EXPECT_EQ(between(out, "<u>\n", "<d>\n"), console_text(kRoms, [] { cpudebug_disassemble(32); }));
    hexaddr = 0;
    EXPECT_EQ(between(out, "<d>\n", "<end>\n"), console_text(kRoms, cpudebug_hexdump));

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
    ChildProcess& gdb = start_gdb("set debug remote 1\n"
                                  "continue\n"
                                  "set debug remote 0\n"
                                  "printf \"interrupted pc=%x\\n\", $pc\n"
                                  "kill\n");
    // gdb's log of its packets says when it waits for the running target.
    ASSERT_TRUE(gdb.read_until(
        [](const std::string& out) {
            const size_t resumed = out.find("Sending packet: $vCont;c");
            return resumed != std::string::npos && out.find("wait: enter", resumed) != std::string::npos;
        },
        kSeconds))
        << gdb.output();
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

// Source-level debugging with the demo's debug information: a breakpoint at
// a function, the call chain, lines stepped over, locals, a listing and the
// return to the caller, each checked against the demo's source.
TEST_F(GdbClient, StepsThroughTheDemosSource) {
    const fs::path scene = fs::path(DEMO_SOURCE) / "scene.c", main_c = fs::path(DEMO_SOURCE) / "main.c";
    const int entry = line_of(scene, "void scene_frame(");
    const int edges = line_of(scene, "const uint8_t edges =");
    const int call = line_of(main_c, "scene_frame(INPUT_BYTE");
    ASSERT_TRUE(entry > 0 && edges > 0 && call > 0);
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 60));
    ChildProcess& gdb = start_gdb("set filename-display basename\n"
                                  "break scene_frame\ncontinue\nbt\nnext\nnext\ninfo locals\n"
                                  "echo <list>\\n\nlist\necho <finish>\\n\nfinish\ndetach\n",
                                  DEMO_ELF);
    ASSERT_TRUE(gdb.wait(kSeconds)) << gdb.output();
    const std::string& out = gdb.output();
    EXPECT_EQ(gdb.status(), 0) << out;
    EXPECT_TRUE(has(out, "Breakpoint 1, scene_frame \\(buttons=127 .*, frame=1\\) at scene\\.c:" +
                             std::to_string(entry) + "\n")) << out;
    EXPECT_TRUE(has(out, "\n#1  0x[0-9a-f]+ in main \\(\\) at main\\.c:" + std::to_string(call) + "\n")) << out;
    // Two lines on, `pressed` is 0: no button is held.
    EXPECT_TRUE(has(out, "\n" + std::to_string(edges) + "\t +const uint8_t edges")) << out;
    EXPECT_TRUE(has(out, "\npressed = 0 '\\\\000'\n")) << out;
    const std::string listed = between(out, "<list>\n", "<finish>\n");
    EXPECT_TRUE(has(listed, "\n" + std::to_string(entry) + "\tvoid scene_frame\\(")) << out;
    const std::string returned = between(out, "<finish>\n", "[Inferior");
    EXPECT_TRUE(has(returned, "main \\(\\) at main\\.c:" + std::to_string(call) + "\n")) << out;
    EXPECT_TRUE(has(out, "\\[Inferior 1 \\(Remote target\\) detached\\]")) << out;
    expect_the_game_ran_on();
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

// Reverse execution from the program's recorded past: three instructions
// forward and back leave every register as it was; a watched work-RAM word
// written twice, then gone back over: the second write, then the first, each
// stopped before the instruction that wrote, the old value in memory.
TEST_F(GdbClient, GoesBackOverInstructionsAndWatchedWrites) {
    const uint32_t handler = rom_long(kRoms, 28 * 4);
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 600));
    ChildProcess& gdb = start_gdb("break *" + hex(handler) + "\ncontinue\ncontinue\ndelete\n"
                                  "echo <before>\\n\ninfo registers\necho <mid>\\n\nstepi 3\nreverse-stepi\nreverse-stepi\n"
                                  "reverse-stepi\necho <after>\\n\ninfo registers\necho <end>\\n\n"
                                  "watch *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "continue\nprintf \"w pc=%x v=%x\\n\", $pc, *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "continue\nprintf \"w pc=%x v=%x\\n\", $pc, *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "reverse-continue\nprintf \"r pc=%x v=%x\\n\", $pc, *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "reverse-continue\nprintf \"r pc=%x v=%x\\n\", $pc, *(unsigned int *)" + hex(kStatus + 4) + "\n"
                                  "delete\ndetach\n");
    ASSERT_TRUE(gdb.wait(kSeconds)) << gdb.output();
    const std::string& out = gdb.output();
    EXPECT_EQ(gdb.status(), 0) << out;
    const std::string before = between(out, "<before>\n", "<mid>\n");
    EXPECT_TRUE(has(before, "\npc +" + hex(handler) + " ")) << out;
    EXPECT_EQ(between(out, "<after>\n", "<end>\n"), before) << out;
    std::smatch w1, w2, r2, r1;
    const std::regex stop("([wr]) pc=([0-9a-f]+) v=([0-9a-f]+)\n");
    auto next = out.cbegin();
    for (std::smatch* m : {&w1, &w2, &r2, &r1}) {
        ASSERT_TRUE(std::regex_search(next, out.cend(), *m, stop)) << out;
        next = (*m)[0].second;
    }
    const auto value = [](const std::smatch& m) { return std::stoul(m[3], nullptr, 16); };
    EXPECT_EQ(value(r2), value(w1)) << "back at the second write: the value the first wrote";
    EXPECT_EQ(value(r1), value(w1) - (value(w2) - value(w1))) << "back at the first: the value before it";
    EXPECT_LT(std::stoul(r2[2], nullptr, 16), std::stoul(w2[2], nullptr, 16)) << "stopped before the writing instruction";
    EXPECT_EQ(r1[2], r2[2]);
    expect_the_game_ran_on();
}

}  // namespace
