// The monitor through its input hook and standard input: its commands, the
// ways out of it (end of input, the host's stop and leave checks, Ctrl-C in
// the long loops), and the number conversion and line printer it uses. In
// expected output '~' stands for the prompt "[cpu 1]>".
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>

#include <gmock/gmock.h>

#include "core_fixture.h"
#include "cpudebug.h"
#include "monitor.h"
#include "run_control.h"

namespace {

using namespace ::testing;
using namespace coretest;

struct StopRequested {};  // what a test's stop check throws to stop the monitor
constexpr int kStopped = -100;

struct MonitorRun {
    int result;  // kStopped when the stop check threw StopRequested
    std::string output;
    bool operator==(const MonitorRun&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const MonitorRun& run) {
        return out << run.result << " '" << run.output << "'";
    }
};

std::string prompts(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '~' ? std::string("[cpu 1]>") : std::string(1, c);
    return out;
}

// The monitor with "moveq #1,d0; addq.l #1,d0; nop; bra 0x1000" at the reset
// PC. Every run is bounded: its stop check throws once the run has taken 5 s,
// so a monitor that never returns fails the test instead of hanging it.
class MonitorTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        start();
        code().w({0x7001, 0x5280, 0x4E71, 0x60F8});
        stop_checks = 0;
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        on_stop_check = nullptr;
        leave_check = nullptr;
        cpudebug_stop_check = [] {
            ++stop_checks;
            if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the monitor ran for 5 s");
            if (on_stop_check) on_stop_check();
        };
        cpudebug_leave_check = [] { return leave_check && leave_check(); };
    }
    void TearDown() override {
        cpudebug_stop_check = nullptr;
        cpudebug_leave_check = nullptr;
        CoreTest::TearDown();
    }

    // Runs the monitor (cpu 1) with `lines` for the scripted input hook.
    MonitorRun run(std::vector<std::string> lines, cpudebug_input_hook input = scripted_input,
                   cpudebug_step_hook step = nullptr, cpudebug_dump_hook dump = nullptr) {
        script = std::move(lines);
        stop_checks = 0;
        deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        testing::internal::CaptureStdout();
        int result = kStopped;
        try {
            result = cpudebug_interactive(cpu, nullptr, input, step, dump);
        } catch (const StopRequested&) {
        } catch (...) {
            testing::internal::GetCapturedStdout();
            throw;
        }
        return {result, testing::internal::GetCapturedStdout()};
    }
    static char* scripted_input(char* buffer, int size) {
        if (script.empty()) return nullptr;
        std::snprintf(buffer, static_cast<size_t>(size), "%s", script.front().c_str());
        script.erase(script.begin());
        return buffer;
    }

    static inline std::vector<std::string> script;  // lines not given yet
    int cpu = 1;                                     // the one the prompt names
    static inline int stop_checks = 0;               // calls of the stop check in this run
    static inline std::chrono::steady_clock::time_point deadline;
    static inline std::function<void()> on_stop_check;
    static inline std::function<bool()> leave_check;
};

std::string first_line(const std::string& output) { return output.substr(8, output.find('\n') - 8); }

struct Session {
    std::vector<std::string> lines;
    int result;
    const char* output;
};

const Session kSessions[] = {
    {{"q\n"}, -1, "~"},
    {{"s\n"}, 0, "~"},
    {{"S 12\n"}, 12, "~"},  // only the command letter is lower-cased
    {{"s 0\n", "s x\n", "q\n"}, -1, "~Invalid CPU number\n~Invalid CPU number\n~"},
    // Empty lines, unknown letters, c, h without a hook and t 0 print nothing.
    {{"", "\n", "x\n", "!\n", "v 10\n", "@\n", "c\n", "h\n", "t 0\n", "q\n"}, -1, "~~~~~~~~~~"},
    {{"b\n", "b \n", "bxyz\n", "b\t\n", "q\n"}, -1,
     "~Need an address\n~Invalid address\n~Invalid address\n~Need an address\n~"},
    {{"i\n", "i x\n", "q\n"}, -1, "~Need an interrupt number\n~Invalid interrupt number\n~"},
    // The argument starts after control characters (a tab, a byte above 127), not after blanks.
    {{"j\n", "j q\n", "j\t\x80 0x1004\n", "q\n"}, -1,
     "~Need an address\n~Invalid address\n~PC set to 00001004\n00001004: 4E71                     nop\n~"},
};

// Fills the whole buffer without a terminator: 'j' and 79 tabs, then "q".
char* unterminated(char* buffer, int size) {
    static bool first = false;
    EXPECT_EQ(size, 80);
    if ((first = !first)) buffer[0] = 'j', std::memset(buffer + 1, '\t', static_cast<size_t>(size) - 1);
    else std::snprintf(buffer, static_cast<size_t>(size), "q\n");
    return buffer;
}

TEST_F(MonitorTest, SessionsOfCommandsAndMessages) {
    for (const Session& session : kSessions) {
        EXPECT_EQ(run(session.lines), (MonitorRun{session.result, prompts(session.output)}));
    }
    EXPECT_EQ(_s68000context.dreg[0], 1u);  // c
    const std::string help = "\n" + run({"?\n", "q\n"}).output.substr(8);  // a line for each command
    for (const char letter : std::string("bdehijqrstu"))
        EXPECT_NE(help.find("\n" + std::string(1, letter)), std::string::npos) << letter;
    static int dumps = 0;  // h (either case) calls the dump hook
    EXPECT_EQ(run({"h\n", "H\n", "q\n"}, scripted_input, nullptr, [] { ++dumps; }).output, prompts("~~~"));
    EXPECT_EQ(dumps, 2);
    cpu = 7;
    EXPECT_EQ(run({"q\n"}).output, "[cpu 7]>");
    cpu = 1;
    EXPECT_EQ(run({}, unterminated).output, prompts("~Need an address\n~"));
}

// What runs or changes the processor is reported to the host (whose recorded
// frames no longer lead to the machine's state); what only reads is not.
TEST_F(MonitorTest, CommandsThatRunOrChangeTheProcessorAreReported) {
    static int changes;
    debugger_target_changed = [] { ++changes; };
    const struct {
        std::vector<std::string> lines;
        bool changed;
    } cases[] = {
        {{"r\n", "d 100\n", "u\n", "?\n", "b\n", "j q\n", "i\n", "t 0\n", "s 3\n"}, false},
        {{"t\n", "q\n"}, true}, {{"t 3\n", "q\n"}, true}, {{"b 1004\n", "q\n"}, true},
        {{"c\n", "q\n"}, true}, {{"j 1000\n", "q\n"}, true}, {{"i 2\n", "q\n"}, true},
    };
    for (const auto& c : cases) {
        changes = 0;
        run(c.lines);
        EXPECT_EQ(changes > 0, c.changed) << c.lines.front();
    }
    debugger_target_changed = nullptr;
}

TEST_F(MonitorTest, RegisterDump) {
    s68000context& c = _s68000context;
    for (uint32_t i = 0; i < 8; ++i) c.dreg[i] = 0x11111111u * i, c.areg[i] = 0xA0000000u + i;
    c.asp = 0x00123456;
    c.sr = 0x2704;
    ASSERT_EQ(s68000interrupt(4, 28) + s68000interrupt(6, 0x40), 0);  // mask 7 keeps both pending
    EXPECT_EQ(run({"r\n", "q\n"}).output,
              prompts("~d0=00000000   d4=44444444   a0=A0000000   a4=A0000004   --Z--\n"
                      "d1=11111111   d5=55555555   a1=A0000001   a5=A0000005   intmask=7\n"
                      "d2=22222222   d6=66666666   a2=A0000002   a6=A0000006   ------1C--40--\n"
                      "d3=33333333   d7=77777777   a3=A0000003   a7=A0000007   usp=00123456\n"
                      "00001000: 7001                     moveq   #$01,d0\n~"));
    c.interrupts[0] = 0;
    c.sr = 0x001F;  // user mode: asp is the supervisor's stack pointer
    EXPECT_THAT(run({"r\n", "q\n"}).output,
                AllOf(HasSubstr("   XNZVC\n"), HasSubstr("   intmask=0\n"), HasSubstr("   ssp=00123456\n")));
}

int steps = 0;
void counting_step() { ++steps, s68000exec(1); }

TEST_F(MonitorTest, BreakpointAndTraceStepThenDumpTheRegisters) {
    const struct {
        const char* command;
        int steps;
    } kRows[] = {{"b 1000\n", 0}, {"b 1004\n", 2}, {"t\n", 1}, {"t 10\n", 16}, {"t zz\n", 1}};
    for (const auto& row : kRows) {
        _s68000context.pc = 0x1000;
        steps = 0;
        EXPECT_THAT(run({row.command, "q\n"}, scripted_input, counting_step).output, StartsWith("[cpu 1]>d0="));
        EXPECT_EQ(steps, row.steps) << row.command;
        EXPECT_EQ(debugpc, _s68000context.pc) << row.command;
    }
    run({"b 1006\n", "q\n"});  // without a step hook the core steps
    EXPECT_EQ(_s68000context.pc, 0x1006u);
    EXPECT_EQ(_s68000context.dreg[0], 2u);
}

TEST_F(MonitorTest, InterruptsRequestLevelFourAndAreTakenBeforeThePrompt) {
    for (const auto& [number, vector] : {std::pair{2, 26}, {3, 27}, {4, 28}, {6, 6}, {200, 200}}) {
        _s68000context.interrupts[0] = 0;  // mask 7: each request stays pending
        const std::string n = std::to_string(number);
        EXPECT_EQ(run({"i " + n + "\n", "q\n"}).output, prompts("~IRQ " + n + " generated\n~"));
        EXPECT_EQ(_s68000context.interrupts[0] & (1 << 4), 1 << 4) << number;
        EXPECT_EQ(_s68000context.interrupts[4], vector) << number;
    }
    _s68000context.interrupts[0] = 0;
    mem.put32(28 * 4, 0x2000);  // vector 28 -> 0x2000: rte
    mem.put16(0x2000, 0x4E73);
    _s68000context.sr = 0x2000;
    EXPECT_THAT(run({"i 4\n", "r\n", "q\n"}).output,
                AllOf(HasSubstr("intmask=4\n"), HasSubstr("\n00002000: 4E73                     rte\n")));
}

TEST_F(MonitorTest, UnassembleListsSixteenAndGoesOnAcrossEntriesAndAfterAJump) {
    const std::string listed = run({"u 1000\n", "q\n"}).output;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 16);
    EXPECT_EQ(debugpc, 0x1038u);  // four program words, then twelve two-word "or.b #$00,d0"
    EXPECT_EQ(run({"u\n", "q\n"}).output.substr(8, 10), "00001038: ");
    EXPECT_THAT(run({"j 1004\n", "u\n", "q\n"}).output, HasSubstr("[cpu 1]>00001004: 4E71"));
    EXPECT_THAT(run({"u FFFFFF\n", "q\n"}).output, HasSubstr("\n00000001: "));  // 24-bit addresses wrap
}

TEST_F(MonitorTest, DumpMarksTheWordGoesOnAndStartsAtZeroOnEntry) {
    const struct {
        const char* command;
        const char* line;
    } kRows[] = {
        {"d 1004\n", "00001000:  7001 5280>4E71<60F8 0000 0000 0000 0000   p.R.Nq`........."},
        {"d 1005\n", "00001000:  7001 5280 4E71<60F8 0000 0000 0000 0000   p.R.Nq`........."},
        {"d 1000\n", "00001000: >7001<5280 4E71 60F8 0000 0000 0000 0000   p.R.Nq`........."},
        {"d 100E\n", "00001000:  7001 5280 4E71 60F8 0000 0000 0000>0000<  p.R.Nq`........."},
        {"d\t0x100f\n", "00001000:  7001 5280 4E71 60F8 0000 0000 0000 0000<  p.R.Nq`........."},
        {"d FFFFFFF0\n", "FFFFFFF0: >FFFF<FFFF FFFF FFFF FFFF FFFF FFFF FFFF   ................"},
    };
    for (const auto& row : kRows) EXPECT_EQ(first_line(run({row.command, "q\n"}).output), row.line);
    EXPECT_EQ(hexaddr, 0x70u);  // wrapped

    // Eight lines; the next d dumps the next 128 bytes with the marker at the same offset.
    const std::string two = run({"d 1004\n", "d\n", "q\n"}).output;
    EXPECT_EQ(std::count(two.begin(), two.end(), '\n'), 16);
    EXPECT_THAT(two, HasSubstr("\n[cpu 1]>00001080:  0000 0000>0000<0000"));
    EXPECT_EQ(hexaddr, 0x1104u);

    // Each entry starts at 0, a bad address keeps it; unmapped memory shows as FFFF.
    code(0xFFF0).w({0x4869, 0x7F1F, 0x7E20});  // printable, DEL, a control character
    const std::string output = run({"d\n", "d zz\n", "d FFF0\n", "q\n"}).output;
    EXPECT_EQ(first_line(output), "00000000: >0000<8000 0000 1000 0000 4020 0000 4030   ..........@ ..@0");
    EXPECT_THAT(output, HasSubstr("[cpu 1]>00000080: >0000<"));
    EXPECT_THAT(output, HasSubstr("[cpu 1]>0000FFF0: >4869<7F1F 7E20 0000 0000 0000 0000 0000   Hi..~ ..........\n"
                                  "00010000:  FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF   ................\n"));
}

// Standard input replaced by a pipe the test writes into, non-blocking: a
// monitor that read without waiting for input would spin into the fixture's
// time bound instead of blocking the test.
class StdinPipe {
public:
    StdinPipe() : saved_(dup(STDIN_FILENO)) { replace(); }
    ~StdinPipe() {
        close_writer();
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        console_reset();
    }
    // A new pipe behind standard input, what the monitor buffered kept: like
    // a console on which the user types on after the end-of-file key.
    void replace() {
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close_writer();
        writer_ = fds[1];
    }
    void write_text(const std::string& text) {
        ASSERT_EQ(write(writer_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_writer() {
        if (writer_ >= 0) close(writer_);
        writer_ = -1;
    }

private:
    int saved_, writer_ = -1;
};

TEST_F(MonitorTest, StandardInputLinesAndItsEnd) {
    StdinPipe input;
    // A line over 79 characters is taken in pieces: 'r' and 78 blanks, then 'j 1004'.
    input.write_text("r" + std::string(78, ' ') + "j 1004" + std::string(15, ' ') + "\nq\n");
    EXPECT_THAT(run({}, nullptr).output,
                AllOf(StartsWith(prompts("~d0=")), HasSubstr(prompts("~PC set to 00001004\n"))));

    input.write_text("s 5" + std::string(76, ' '));  // 79 characters: a line, nothing more awaited
    EXPECT_EQ(run({}, nullptr).result, 5);
    input.write_text("s 6");  // the last line needs no newline
    input.close_writer();
    EXPECT_EQ(run({}, nullptr).result, 6);
    EXPECT_EQ(run({}, nullptr), (MonitorRun{-1, prompts("~\n")}));  // the end leaves as q, ending the prompt's line
    EXPECT_EQ(run({}, nullptr), (MonitorRun{-1, ""}));  // and so does every entry while it lasts, without a prompt

    input.replace();  // typed on after the end: read, not taken for the end again
    on_stop_check = [&input] {
        if (stop_checks == 1) input.write_text("s 2\n");
    };
    EXPECT_EQ(run({}, nullptr).result, 2);
}

TEST_F(MonitorTest, InputHookEndAndResumption) {
    run({"q\n"});  // whatever an earlier test left, the input has not ended
    EXPECT_EQ(run({}), (MonitorRun{-1, prompts("~\n")}));
    EXPECT_EQ(run({}), (MonitorRun{-1, ""}));
    EXPECT_EQ(run({"s 3\n"}), (MonitorRun{3, prompts("~")}));
    leave_check = [] { return true; };  // resumed, no longer at its end: the release comes first
    run({"q\n"});
    EXPECT_EQ(script.size(), 1u);
}

TEST_F(MonitorTest, StopCheckWhileWaitingAndOnEveryStep) {
    StdinPipe input;  // nothing typed, the writer kept open
    on_stop_check = [] {
        if (stop_checks == 4) throw StopRequested();
    };
    EXPECT_EQ(run({}, nullptr), (MonitorRun{kStopped, prompts("~\n")}));  // what is printed next starts a line
    EXPECT_EQ(stop_checks, 4);
    on_stop_check = nullptr;
    _s68000context.pc = 0x1000;
    run({"c\n", "t 5\n", "b 1006\n"});  // before each of the 4 reads, on each of 5 + 2 steps
    EXPECT_EQ(stop_checks, 4 + 5 + 2);
}

volatile std::sig_atomic_t own_handler_calls = 0;  // the program's own SIGINT handler
void own_handler(int) { own_handler_calls = own_handler_calls + 1; }

TEST_F(MonitorTest, CtrlCStopsTheLongLoopsAndIsTheProgramsAgainAfterwards) {
    const auto saved = std::signal(SIGINT, own_handler);
    own_handler_calls = 0;
    bool sent = false;  // e lists each instruction it executed; Ctrl-C after the third
    on_stop_check = [&sent] {
        if (!sent && _s68000context.pc == 0x1006) sent = std::raise(SIGINT) == 0;
    };
    EXPECT_EQ(run({"e\n", "q\n"}).output, prompts("~00001000: 7001                     moveq   #$01,d0\n"
                                                    "00001002: 5280                     add.l   #1,d0\n"
                                                    "00001004: 4E71                     nop\n~"));
    on_stop_check = [] {
        if (stop_checks == 50) std::raise(SIGINT);
    };
    EXPECT_THAT(run({"b 9000\n", "q\n"}).output, HasSubstr("intmask=7"));  // never reached; then the dump
    on_stop_check = nullptr;  // so does the host's release, which then leaves as q
    leave_check = [] { return stop_checks >= 50; };
    for (const char* loop : {"b 9000\n", "t 100000\n"}) {
        EXPECT_EQ(run({loop, "q\n"}).result, -1) << loop;
        EXPECT_LT(stop_checks, 100) << loop << ": the loop ran on";
        EXPECT_EQ(script.size(), 1u) << loop;
    }
    leave_check = nullptr;
    _s68000context.pc = 0x1000;
    on_stop_check = [] {
        if (_s68000context.pc == 0x1004) throw StopRequested();
    };
    EXPECT_EQ(run({"e\n"}).result, kStopped);  // unwound from the loop
    EXPECT_EQ(own_handler_calls, 0);
    std::raise(SIGINT);
    EXPECT_EQ(own_handler_calls, 1);
    std::signal(SIGINT, saved);
}

TEST(NumberConversion, LikeA32BitStrtoul) {
    const struct {
        const char* text;
        int base;
        bool taken;
        uint32_t value;  // 1234: left alone
    } kRows[] = {
        {"1F", 16, true, 0x1F}, {"0x1f", 16, true, 0x1F}, {" \t 10\n", 16, true, 0x10}, {"10", 10, true, 10},
        {"12z", 16, true, 0x12}, {"0xg", 16, true, 0}, {"-1", 16, true, 0xFFFFFFFF}, {"-5", 10, true, 0xFFFFFFFB},
        {"+7", 10, true, 7}, {"FFFFFFFF", 16, true, 0xFFFFFFFF}, {"-FFFFFFFF", 16, true, 1}, {"", 16, false, 1234},
        {"100000400", 16, true, 0xFFFFFFFF}, {"99999999999999999999999", 10, true, 0xFFFFFFFF}, {"  ", 16, false, 1234},
        {"+", 10, false, 1234}, {"xyz", 16, false, 1234}, {"A", 10, false, 1234}, {"0X1F", 16, true, 0x1F},
        {"~1", 16, false, 1234}};
    for (const auto& row : kRows) {
        uint32_t value = 1234;
        EXPECT_EQ(parse_unsigned(row.text, row.base, &value), row.taken) << row.text;
        EXPECT_EQ(value, row.value) << row.text;
    }
}

std::vector<std::string> put_lines;

TEST(LinePrinter, HandsOnWholeLinesOfAtMost99Characters) {
    cpudebug_put = [](const char* line) { put_lines.emplace_back(line); };
    cpudebug_printf("%s", "");
    cpudebug_printf("abc");
    cpudebug_printf("%d\nsecond\nthi", 42);
    cpudebug_printf("rd\n%s\n", std::string(150, 'x').c_str());
    EXPECT_EQ(put_lines, (std::vector<std::string>{"abc42\n", "second\n", "third\n", std::string(99, 'x'),
                                                   std::string(51, 'x') + "\n"}));
    put_lines.clear();
    cpudebug_printf("%s\n", std::string(500, 'y').c_str());  // cut at 399: the newline is lost
    cpudebug_printf("\n");
    EXPECT_EQ(put_lines.size(), 5u);
    EXPECT_EQ(put_lines.back(), "yyy\n");
    cpudebug_put = nullptr;
    testing::internal::CaptureStdout();  // without a hook: standard output
    cpudebug_printf("value %04X\n", 0xBEEF);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "value BEEF\n");
    EXPECT_EQ(cpudebug_disabled(), 0);
}

}  // namespace
