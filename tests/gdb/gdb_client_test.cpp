// The real client: Debian's gdb-multiarch in batch mode against the program
// started headless with --gdb on a port the system picks, running the demo.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "child_process.h"
#include "cpudebug.h"
#include "monitor_output.h"
#include "s68000.h"

namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& pattern) { return std::regex_search(text, std::regex(pattern)); }

// The text gdb printed between two `echo` marks.
std::string between(const std::string& out, const std::string& from, const std::string& to) {
    const size_t start = out.find(from), end = out.find(to, start);
    return end == std::string::npos ? "<no " + from + ">" : out.substr(start + from.size(), end - start - from.size());
}

// gdb resumed and waits for the target, after the output's `after`.
bool waitingAfter(const std::string& out, const std::string& after) {
    const size_t from = out.find(after);
    const size_t resumed = from == std::string::npos ? from : out.find("Sending packet: $vCont;c", from);
    return resumed != std::string::npos && out.find("wait: enter", resumed) != std::string::npos;
}

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", v);
    return text;
}

// The ROM set's program as the board maps it at 0 (even bytes in
// PELLMORA.3A, odd ones in PELLMORA.2A), in words.
std::vector<uint16_t> rom_words(const fs::path& roms) {
    std::ifstream even(roms / "PELLMORA.3A", std::ios::binary), odd(roms / "PELLMORA.2A", std::ios::binary);
    std::vector<uint16_t> words;
    for (int high, low; (high = even.get()) != EOF && (low = odd.get()) != EOF;)
        words.push_back(static_cast<uint16_t>(high << 8 | low));
    return words;
}

// What the console monitor's `print` prints over that program: the
// reference for gdb's `monitor`.
std::string console_text(std::vector<uint16_t>& rom, void (*print)()) {
    program_region fetch[2] = {s68000_program(0, 2 * static_cast<uint32_t>(rom.size()) - 1, rom.data()),
                               s68000_program_end()};
    _s68000context.s_fetch = fetch;
    MonitorCapture capture;
    print();
    _s68000context.s_fetch = nullptr;
    return capture.text();
}

// The program on the demo ROM set, waiting for gdb, and gdb run on a script.
class GdbClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_STRNE(GDB_MULTIARCH, "") << "no gdb-multiarch: run tools/install-deps.sh"; }
    void TearDown() override { fs::remove(script_); }

    // Starts the program, which shows `frames` frames at `speed` once gdb
    // lets the game run, then quits.
    void start_board(const char* speed, int frames) {
        board_ = std::make_unique<ChildProcess>("exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" BEVOREL_PROGRAM
                                                "' --boot --gdb 0 --speed " + std::string(speed) + " --frames " +
                                                std::to_string(frames));
        const std::regex listening("GDB server listening on 127\\.0\\.0\\.1:([0-9]+);");
        std::smatch port;
        ASSERT_TRUE(board_->read_until([&](const std::string& out) { return std::regex_search(out, port, listening); }))
            << board_->output;
        port_ = port[1];
    }
    // Starts gdb, with the program file if given (quoted), on the commands after connecting.
    void start_gdb(const std::string& commands, const std::string& program = "") {
        script_ = fs::temp_directory_path() / ("bevorel_gdb_" + std::to_string(getpid()) + ".gdb");
        std::ofstream(script_) << "set pagination off\nset confirm off\nset architecture m68k\nset endian big\n"
                               << "target remote 127.0.0.1:" << port_ << "\n" << commands;
        gdb_ = std::make_unique<ChildProcess>("exec '" GDB_MULTIARCH "' -nx -batch -x '" + script_.string() + "' " + program);
    }
    // gdb ends well, then the game runs its frames and quits by itself; gdb
    // printed each of `shown`.
    void expect_both_end_and_shown(const std::vector<std::string>& shown) {
        EXPECT_EQ(gdb_->wait(), 0) << gdb_->output;
        EXPECT_EQ(board_->wait(), 0) << board_->output;
        EXPECT_TRUE(has(board_->output, "Average fps : ")) << board_->output;
        for (const std::string& pattern : shown) EXPECT_TRUE(has(gdb_->output, pattern)) << pattern << gdb_->output;
    }

    std::unique_ptr<ChildProcess> board_, gdb_;
    std::string port_;
    fs::path script_;
};

// Registers at attach, a breakpoint at the demo's frame-interrupt handler
// (found in the ROM set's vector table), the console monitor's dumps there,
// a step, work RAM, an input port and the palette read and written, a
// watched RAM word, and a detach.
TEST_F(GdbClient, DebugsTheDemoAndDetaches) {
    std::vector<uint16_t> rom = rom_words(fs::path(BEVOREL_PROGRAM).parent_path() / "Roms");
    ASSERT_GT(rom.size(), 64u);
    const auto rom_long = [&](uint32_t at) { return uint32_t{rom[at / 2]} << 16 | rom[at / 2 + 1]; };
    const uint32_t stack = rom_long(0), reset = rom_long(4), handler = rom_long(28 * 4);  // vector 28: the frame
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 120));
    start_gdb("info registers\nbreak *" + hex(handler) + "\ncontinue\n"
              "printf \"gdb: d0=%08X a2=%08X a7=%08X\\n\", $d0, $a2, $sp\n"
              "echo <r>\\n\nmonitor r\necho <u>\\n\nmonitor u " + hex(handler) + "\nmonitor u\necho <d>\\n\n"
              "monitor d 0\necho <end>\\n\nstepi\nprintf \"stepped pc=%x\\n\", $pc\n"
              "x/wx 0x100000\nx/hx 0x500000\n"
              "set var *(unsigned int *)0x103f00 = 0x12345678\nx/wx 0x103f00\n"
              "set var *(unsigned short *)0x600002 = 0x7c1f\nx/hx 0x600002\n"
              "delete 1\nwatch *(unsigned int *)0x100004\ncontinue\ndelete\ndetach\n");
    // Attached where the reset leaves the game, which waits at its first
    // frame; then at the handler. The demo's magic word, the input port with
    // nothing pressed (player byte 0x7F, 0xFF outside service mode), a RAM
    // word and a palette entry written and read back through the board.
    expect_both_end_and_shown({"\nsp +" + hex(stack) + " ", "\nps +0x2700 ", "\npc +" + hex(reset) + " ",
                               "Breakpoint 1, 0x0*" + hex(handler).substr(2) + " in", "0x100000:\t0x44454d4f\n",
                               "0x500000:\t0x7fff\n", "0x103f00:\t0x12345678\n", "0x600002:\t0x7c1f\n",
                               "\\[Inferior 1 \\(Remote target\\) detached\\]"});
    const std::string& out = gdb_->output;
    // The console monitor's text: registers as gdb has them and the
    // instruction at the PC, 32 instructions in two listings, the vectors.
    std::smatch values;
    ASSERT_TRUE(std::regex_search(out, values, std::regex("gdb: (d0=\\S+) (a2=\\S+) (a7=\\S+)\n"))) << out;
    const std::string registers = between(out, "<r>\n", "<u>\n");
    for (int n = 1; n <= 3; ++n) EXPECT_NE(registers.find(values[n]), std::string::npos) << values[n] << registers;
    debugpc = handler;
    EXPECT_TRUE(registers.ends_with(console_text(rom, [] { cpudebug_disassemble(1); }))) << registers;
    debugpc = handler;
    EXPECT_EQ(between(out, "<u>\n", "<d>\n"), console_text(rom, [] { cpudebug_disassemble(32); }));
    hexaddr = 0;
    EXPECT_EQ(between(out, "<d>\n", "<end>\n"), console_text(rom, cpudebug_hexdump));
    // One instruction on (at most ten bytes); the count of frames one up.
    std::smatch step, watched;
    ASSERT_TRUE(std::regex_search(out, step, std::regex("stepped pc=([0-9a-f]+)"))) << out;
    const uint32_t stepped = static_cast<uint32_t>(std::stoul(step[1], nullptr, 16));
    EXPECT_TRUE(stepped > handler && stepped <= handler + 10) << out;
    const std::regex change("watchpoint 2: .*\n\nOld value = (\\d+)\nNew value = (\\d+)");
    ASSERT_TRUE(std::regex_search(out, watched, change)) << out;
    EXPECT_EQ(std::stoul(watched[2]), std::stoul(watched[1]) + 1) << out;
}

// Ctrl-C: gdb, interrupted while the game runs, sends the interrupt byte and
// the game stops; kill then resets the board, which runs on.
TEST_F(GdbClient, InterruptsTheRunningGameAndKillsIt) {
    ASSERT_NO_FATAL_FAILURE(start_board("60", 120));  // two seconds: still running when gdb is interrupted
    start_gdb("set debug remote 1\ncontinue\nset debug remote 0\nprintf \"interrupted pc=%x\\n\", $pc\nkill\n");
    // gdb's log of its packets says when it waits for the running target.
    ASSERT_TRUE(gdb_->read_until([](const std::string& out) { return waitingAfter(out, ""); })) << gdb_->output;
    gdb_->interrupt();
    expect_both_end_and_shown({"Program received signal SIGINT, Interrupt.", "interrupted pc=[0-9a-f]+\n",
                               "\\[Inferior 1 \\(Remote target\\) killed\\]"});
    const std::string& out = board_->output;
    const std::regex reset("CPU Reset...Success");  // at start-up, boot, and the kill
    EXPECT_EQ(std::distance(std::sregex_iterator(out.begin(), out.end(), reset), std::sregex_iterator()), 3) << out;
}

// Source-level debugging with the demo's debug information: a breakpoint at
// a function, the call chain, lines stepped over (two lines on, `pressed` is
// 0: no button is held), a listing and the return to the caller, each
// checked against the demo's source.
TEST_F(GdbClient, StepsThroughTheDemosSource) {
    const auto line_of = [](const char* file, const std::string& text) {
        std::ifstream in(fs::path(DEMO_SOURCE) / file);
        int number = 1;
        for (std::string line; std::getline(in, line); ++number)
            if (line.find(text) != std::string::npos) return std::to_string(number);
        return std::string("<no line>");
    };
    const std::string entry = line_of("scene.c", "void scene_frame("), call = line_of("main.c", "scene_frame(INPUT");
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 60));
    start_gdb("set filename-display basename\nbreak scene_frame\ncontinue\nbt\nnext\nnext\ninfo locals\n"
              "echo <list>\\n\nlist\necho <finish>\\n\nfinish\ndetach\n",
              "'" DEMO_ELF "'");
    expect_both_end_and_shown({"Breakpoint 1, scene_frame \\(buttons=127 .*, frame=1\\) at scene\\.c:" + entry + "\n",
                               "\n#1  0x[0-9a-f]+ in main \\(\\) at main\\.c:" + call + "\n",
                               "\n" + line_of("scene.c", "const uint8_t edges =") + "\t +const uint8_t edges",
                               "\npressed = 0 '\\\\000'\n", "\\[Inferior 1 \\(Remote target\\) detached\\]"});
    const std::string& out = gdb_->output;
    EXPECT_TRUE(has(between(out, "<list>\n", "<finish>\n"), "\n" + entry + "\tvoid scene_frame\\(")) << out;
    EXPECT_TRUE(has(between(out, "<finish>\n", "[Inferior"), "main \\(\\) at main\\.c:" + call + "\n")) << out;
}

// The demo's status block (work RAM) as the stops below print it.
const char* const kStatus =
    "define st\nprintf \"t%d pc=%x %d %d %d %d %d\\n\", $arg0, $pc, status.level4, status.level3, status.level2, "
    "status.frame, status.drawn\nend\n";

std::vector<std::string> stops(const std::string& out, const std::string& tag) {
    std::vector<std::string> found;
    const std::regex line("t" + tag + " (pc=[0-9a-f]+ [0-9 ]+)\n");
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) found.push_back((*it)[1]);
    return found;
}

// Going back with breakpoints lands where the forward run was: the ten hits
// of scene_frame seen again backwards, on from the third to the fourth; one
// step back from there is the calling instruction as a second run, stopped
// there by a breakpoint on it, shows it.
TEST_F(GdbClient, GoesBackToTheStatesTheForwardRunHad) {
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 300));
    std::string commands = std::string(kStatus) + "break scene_frame\ncontinue\nst 1\n";
    for (int n = 2; n <= 10; ++n) commands += "continue\nst 1\n";
    commands += "tbreak *$pc\nreverse-continue\n";  // gdb's own temporary stops go too: the 9th hit
    for (int n = 0; n < 6; ++n) commands += "reverse-continue\nst 2\n";
    start_gdb(commands + "continue\nst 3\nprintf \"call=%x\\n\", *(unsigned *)$sp - 2\nreverse-stepi\nst 4\ndetach\n",
              "'" DEMO_ELF "'");
    expect_both_end_and_shown({"call=[0-9a-f]+\n"});
    const std::string out = gdb_->output;
    const std::vector<std::string> hits = stops(out, "1"), back = stops(out, "2"), on = stops(out, "3");
    ASSERT_EQ(hits.size(), 10u) << out;
    ASSERT_EQ(back.size(), 6u) << out;
    for (size_t n = 0; n < back.size(); ++n) EXPECT_EQ(back[n], hits[7 - n]) << "reverse-continue " << n + 1;
    EXPECT_EQ(on, std::vector<std::string>{hits[3]}) << "on from the third hit: the fourth";
    std::smatch call;
    ASSERT_TRUE(std::regex_search(out, call, std::regex("call=([0-9a-f]+)\n")));
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 300));
    start_gdb(std::string(kStatus) + "break *0x" + call[1].str() + "\ncontinue\ncontinue\ncontinue\ncontinue\nst 5\n"
              "detach\n", "'" DEMO_ELF "'");
    expect_both_end_and_shown({});
    EXPECT_EQ(stops(out, "4"), stops(gdb_->output, "5")) << out << gdb_->output;
}

// Forward and back agree step for step where the processor idles in STOP
// (stepped up to and over the main loop's STOP): three reverse steps each
// move to an earlier instruction, the first to the STOP, and steps on come
// back to each. Then, with the PC set into
// unmapped memory, going back still answers (the past before the change is
// gone) and the program still ends.
TEST_F(GdbClient, StepsBackOutOfStopAndFromAnUnmappedPc) {
    ASSERT_NO_FATAL_FAILURE(start_board("60", 300));
    start_gdb(std::string(kStatus) + "break scene_frame\ncontinue\ndelete\n"
              "while *(unsigned short *)$pc != 0x4e72\nstepi\nend\nstepi\nst 10\nreverse-stepi\nst 11\n"
              "echo <s1>\\n\nx/i $pc\necho <s2>\\n\n"
              "reverse-stepi\nst 12\nreverse-stepi\nst 13\nstepi\nst 22\nstepi\nst 21\n"
              "set $pc = 0x800000\necho <unmapped>\\n\nset debug remote 1\ncontinue\nset debug remote 0\n"
              "reverse-stepi\nst 30\ndetach\n",
              "'" DEMO_ELF "'");
    ASSERT_TRUE(gdb_->read_until([](const std::string& out) { return waitingAfter(out, "<unmapped>"); }))
        << gdb_->output;
    gdb_->interrupt();
    expect_both_end_and_shown({"\nt30 pc=[0-9a-f]+ ", "\\[Inferior 1 \\(Remote target\\) detached\\]"});
    const std::string& out = gdb_->output;
    const auto at = [&](const char* tag) { return stops(out, tag).empty() ? "<none>" : stops(out, tag)[0]; };
    EXPECT_TRUE(has(between(out, "<s1>\n", "<s2>\n"), "\tstop ")) << "one back from the idle processor: its STOP";
    EXPECT_NE(at("11"), at("10")) << out;
    EXPECT_NE(at("12"), at("11")) << out;
    EXPECT_NE(at("13"), at("12")) << out;
    EXPECT_EQ(at("22"), at("12")) << out;
    EXPECT_EQ(at("21"), at("11")) << out;
}

// The debugging guide's reverse-debugging transcript runs as shown: its
// commands given to gdb, every line it shows printed in that order.
TEST_F(GdbClient, TheDebuggingGuidesReverseTranscriptRunsAsShown) {
    std::ifstream readme(fs::path(DEMO_SOURCE) / "../../docs/debugging.md");
    std::string commands = "set filename-display basename\n", line;
    std::vector<std::string> shown;
    bool inside = false;
    while (std::getline(readme, line)) {
        if (line.starts_with("**Going back.**")) inside = true;
        else if (inside && line.starts_with("Without a program file")) break;
        else if (inside && line.starts_with("    (gdb) ")) commands += line.substr(10) + "\n";
        else if (inside && line.starts_with("    ")) shown.push_back(line.substr(4));
    }
    ASSERT_GE(shown.size(), 4u) << "no transcript found in docs/debugging.md";
    ASSERT_NO_FATAL_FAILURE(start_board("unlimited", 120));
    start_gdb(commands + "detach\n", "'" DEMO_ELF "'");
    expect_both_end_and_shown({"\\[Inferior 1 \\(Remote target\\) detached\\]"});
    size_t at = 0;
    for (const std::string& expected : shown) {
        at = gdb_->output.find(expected, at);
        ASSERT_NE(at, std::string::npos) << "not printed in order: " << expected << "\n" << gdb_->output;
    }
}

}  // namespace
