// The monitor's input: standard input read through poll, end of input, the
// stop check while waiting and while stepping, and Ctrl-C in the long loops.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <stdexcept>

#include "debugger_test_support.h"
#include "monitor.h"

namespace {

const std::string kPrompt = "[cpu 1]>";

// Standard input replaced by a pipe the test writes into.
class StdinPipe {
public:
    StdinPipe() {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe");
        read_end_ = fds[0];
        write_end_ = fds[1];
        saved_ = dup(STDIN_FILENO);
        dup2(read_end_, STDIN_FILENO);
        console_reset();
    }
    ~StdinPipe() {
        close_writer();
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        close(read_end_);
        console_reset();
    }
    void write_text(const std::string& text) {
        ASSERT_EQ(write(write_end_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_writer() {
        if (write_end_ >= 0) close(write_end_);
        write_end_ = -1;
    }

private:
    int read_end_ = -1, write_end_ = -1, saved_ = -1;
};

MonitorRun run_on_stdin() {
    StdoutCapture capture;
    int result = cpudebug_interactive(1, nullptr, nullptr, nullptr, nullptr);
    return {result, capture.finish()};
}

class MonitorInputTest : public ::testing::Test {
protected:
    MonitorInputTest() {
        machine.poke(0x1000, {0x7001, 0x5280, 0x4E71, 0x60F8});
        stop_checks = 0;
        cpudebug_stop_check = nullptr;
    }
    ~MonitorInputTest() override { cpudebug_stop_check = nullptr; }

    TestMachine machine;
    static inline int stop_checks = 0;
};

struct StopRequested : std::runtime_error {
    StopRequested() : std::runtime_error("stop") {}
};

TEST_F(MonitorInputTest, StandardInputCommandsInOrder) {
    StdinPipe input;
    input.write_text("c\nj 1004\nq\n");
    MonitorRun run = run_on_stdin();
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.output, kPrompt + kPrompt + "PC set to 00001004\n00001004: 4E71                     nop\n" + kPrompt);
    EXPECT_EQ(_s68000context.dreg[0], 1u);
}

TEST_F(MonitorInputTest, LongLineIsTakenInPiecesOf79Characters) {
    StdinPipe input;
    // 100 characters: 'r' and 78 blanks make the first piece, 'j 1004' and
    // 15 blanks the second.
    input.write_text("r" + std::string(78, ' ') + "j 1004" + std::string(15, ' ') + "\nq\n");
    MonitorRun run = run_on_stdin();
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.output,
              kPrompt +
                  "d0=00000000   d4=00000000   a0=00000000   a4=00000000   -----\n"
                  "d1=00000000   d5=00000000   a1=00000000   a5=00000000   intmask=7\n"
                  "d2=00000000   d6=00000000   a2=00000000   a6=00000000   --------------\n"
                  "d3=00000000   d7=00000000   a3=00000000   a7=00008000   usp=00000000\n"
                  "00001000: 7001                     moveq   #$01,d0\n" +
                  kPrompt + "PC set to 00001004\n00001004: 4E71                     nop\n" + kPrompt);
}

TEST_F(MonitorInputTest, EndOfStandardInputLeavesAndLaterEntriesReturnAtOnce) {
    StdinPipe input;
    input.write_text("c\n");
    input.close_writer();
    MonitorRun first = run_on_stdin();
    EXPECT_EQ(first.result, -1);
    EXPECT_EQ(first.output, kPrompt + kPrompt + "\n");
    for (int entry = 0; entry < 3; ++entry) {
        MonitorRun later = run_on_stdin();
        EXPECT_EQ(later.result, -1);
        EXPECT_EQ(later.output, "");  // no prompt
    }
}

TEST_F(MonitorInputTest, LastLineWithoutNewlineIsStillACommand) {
    StdinPipe input;
    input.write_text("s 5");
    input.close_writer();
    EXPECT_EQ(run_on_stdin().result, 5);
}

TEST_F(MonitorInputTest, InputArrivingAfterTheEndIsReadAgain) {
    script.clear();
    MonitorRun ended = run_monitor({});
    EXPECT_EQ(ended.result, -1);
    EXPECT_EQ(ended.output, kPrompt + "\n");
    EXPECT_EQ(run_monitor({}).output, "");  // still at its end: no prompt
    MonitorRun resumed = run_monitor({"s 3\n"});
    EXPECT_EQ(resumed.result, 3);
    EXPECT_EQ(resumed.output, kPrompt);
}

TEST_F(MonitorInputTest, StopCheckRunsWhileWaitingForStandardInput) {
    StdinPipe input;  // nothing written, writer kept open: a console nobody types on
    cpudebug_stop_check = [] {
        if (++stop_checks == 4) throw StopRequested();
    };
    StdoutCapture capture;
    EXPECT_THROW(cpudebug_interactive(1, nullptr, nullptr, nullptr, nullptr), StopRequested);
    // Stopped while waiting, the prompt's line is ended: what the program
    // prints next (the frame-rate line at quit) starts a line of its own.
    EXPECT_EQ(capture.finish(), kPrompt + "\n");
    EXPECT_EQ(stop_checks, 4);
}

// ---- The host releasing the monitor (Debug switched off) ----

static int leave_checks = 0;
static int leave_after = 0;  // the leave check answers true from this call on
bool leave_when_due() { return ++leave_checks >= leave_after; }

class MonitorLeaveTest : public MonitorInputTest {
protected:
    MonitorLeaveTest() {
        leave_checks = 0;
        cpudebug_leave_check = leave_when_due;
    }
    ~MonitorLeaveTest() override { cpudebug_leave_check = nullptr; }
};

TEST_F(MonitorLeaveTest, ReleasedWhileWaitingForStandardInputLeavesAsQ) {
    StdinPipe input;  // nobody types
    leave_after = 3;
    MonitorRun released = run_on_stdin();
    EXPECT_EQ(released.result, -1);
    EXPECT_EQ(released.output, kPrompt + "\n");
    EXPECT_EQ(leave_checks, 3);
    // Not an end of input: the next entry prompts and reads again.
    cpudebug_leave_check = nullptr;
    input.write_text("s 2\n");
    MonitorRun next = run_on_stdin();
    EXPECT_EQ(next.result, 2);
    EXPECT_EQ(next.output, kPrompt);
}

TEST_F(MonitorLeaveTest, ReleasedBeforeTheInputHookIsAskedLeavesAsQ) {
    leave_after = 3;  // two lines are read, the third is never asked for
    script.assign({"c\n", "c\n", "q\n"});
    _s68000context.dreg[0] = 0;
    StdoutCapture capture;
    EXPECT_EQ(cpudebug_interactive(1, nullptr, scripted_input, nullptr, nullptr), -1);
    EXPECT_EQ(capture.finish(), kPrompt + kPrompt + kPrompt + "\n");
    EXPECT_EQ(script.size(), 1u);
    EXPECT_EQ(_s68000context.dreg[0], 1u);
}

TEST_F(MonitorLeaveTest, ReleaseStopsTheLongLoopsThenLeaves) {
    for (const char* command : {"e\n", "b 9000\n", "t 100000\n"}) {
        SCOPED_TRACE(command);
        _s68000context.pc = 0x1000;
        leave_checks = 0;
        leave_after = 1000;  // long after the loop began
        MonitorRun run = run_monitor({command, "q\n"});
        EXPECT_EQ(run.result, -1);
        EXPECT_EQ(run.output.substr(run.output.size() - kPrompt.size() - 1), kPrompt + "\n");
        EXPECT_GE(leave_checks, 1000);
        EXPECT_EQ(script.size(), 1u);  // the q was never read
    }
}

TEST_F(MonitorInputTest, StopCheckRunsBeforeEveryInputHookCall) {
    cpudebug_stop_check = [] { ++stop_checks; };
    script.assign({"c\n", "c\n", "q\n"});
    StdoutCapture capture;
    cpudebug_interactive(1, nullptr, scripted_input, nullptr, nullptr);
    capture.finish();
    EXPECT_EQ(stop_checks, 3);
}

TEST_F(MonitorInputTest, StopCheckRunsOnEveryTraceAndBreakpointStep) {
    cpudebug_stop_check = [] { ++stop_checks; };
    run_monitor({"t 5\n"});
    EXPECT_GE(stop_checks, 5 + 1);
    stop_checks = 0;
    _s68000context.pc = 0x1000;
    run_monitor({"b 1006\n"});  // three steps
    EXPECT_GE(stop_checks, 3 + 1);
}

TEST_F(MonitorInputTest, StopCheckEndsAnEndlessBreakpoint) {
    cpudebug_stop_check = [] {
        if (++stop_checks == 1000) throw StopRequested();
    };
    script.assign({"b 9000\n"});  // never reached: the program loops at 0x1000
    StdoutCapture capture;
    EXPECT_THROW(cpudebug_interactive(1, nullptr, scripted_input, nullptr, nullptr), StopRequested);
    capture.finish();
    EXPECT_EQ(stop_checks, 1000);
}

// A SIGINT handler of the test's own, to see it restored.
volatile std::sig_atomic_t own_handler_calls = 0;
void own_handler(int) { own_handler_calls = own_handler_calls + 1; }

class SigintDisposition {
public:
    SigintDisposition() {
        struct sigaction action = {};
        action.sa_handler = own_handler;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &saved_);
    }
    ~SigintDisposition() { sigaction(SIGINT, &saved_, nullptr); }
    static bool own_handler_installed() {
        struct sigaction current = {};
        sigaction(SIGINT, nullptr, &current);
        return current.sa_handler == own_handler;
    }

private:
    struct sigaction saved_;
};

TEST_F(MonitorInputTest, CtrlCStopsTheTraceAndReturnsToThePrompt) {
    SigintDisposition disposition;
    own_handler_calls = 0;
    // Ctrl-C arrives once the trace has run three instructions.
    cpudebug_stop_check = [] {
        static bool sent = false;
        if (!sent && _s68000context.pc == 0x1006) {
            sent = true;
            std::raise(SIGINT);
        }
    };
    MonitorRun run = run_monitor({"e\n", "r\n", "q\n"});
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(own_handler_calls, 0);  // the monitor's handler took it
    EXPECT_TRUE(SigintDisposition::own_handler_installed());
    const std::string expected = kPrompt +
                                 "00001000: 7001                     moveq   #$01,d0\n"
                                 "00001002: 5280                     add.l   #1,d0\n"
                                 "00001004: 4E71                     nop\n" +
                                 kPrompt + "d0=00000002   d4=";
    EXPECT_EQ(run.output.substr(0, expected.size()), expected);
    std::raise(SIGINT);
    EXPECT_EQ(own_handler_calls, 1);  // outside the loop Ctrl-C is the program's again
}

TEST_F(MonitorInputTest, CtrlCStopsABreakpointThatIsNeverReached) {
    SigintDisposition disposition;
    cpudebug_stop_check = [] {
        if (++stop_checks == 50) std::raise(SIGINT);
    };
    MonitorRun run = run_monitor({"b 9000\n", "q\n"});
    EXPECT_EQ(run.result, -1);
    EXPECT_GE(stop_checks, 50);
    EXPECT_NE(run.output.find("intmask=7"), std::string::npos);  // the register dump after the loop
    EXPECT_TRUE(SigintDisposition::own_handler_installed());
}

TEST_F(MonitorInputTest, UnwindingFromTheTraceRestoresTheSigintDisposition) {
    SigintDisposition disposition;
    cpudebug_stop_check = [] {
        if (_s68000context.pc == 0x1004) throw StopRequested();
    };
    script.assign({"e\n"});
    StdoutCapture capture;
    EXPECT_THROW(cpudebug_interactive(1, nullptr, scripted_input, nullptr, nullptr), StopRequested);
    capture.finish();
    EXPECT_TRUE(SigintDisposition::own_handler_installed());
}

TEST(NumberConversion, LikeA32BitStrtoul) {
    uint32_t value = 0;
    EXPECT_TRUE(parse_unsigned("1F", 16, &value));
    EXPECT_EQ(value, 0x1Fu);
    EXPECT_TRUE(parse_unsigned("0x1f", 16, &value));
    EXPECT_EQ(value, 0x1Fu);
    EXPECT_TRUE(parse_unsigned(" \t 10\n", 16, &value));
    EXPECT_EQ(value, 0x10u);
    EXPECT_TRUE(parse_unsigned("10", 10, &value));
    EXPECT_EQ(value, 10u);
    EXPECT_TRUE(parse_unsigned("12z", 16, &value));
    EXPECT_EQ(value, 0x12u);
    EXPECT_TRUE(parse_unsigned("0xg", 16, &value));  // the "0" alone
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(parse_unsigned("-1", 16, &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(parse_unsigned("-5", 10, &value));
    EXPECT_EQ(value, 0xFFFFFFFBu);
    EXPECT_TRUE(parse_unsigned("+7", 10, &value));
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(parse_unsigned("FFFFFFFF", 16, &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(parse_unsigned("100000400", 16, &value));  // out of range saturates
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(parse_unsigned("99999999999999999999999", 10, &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    value = 1234;
    EXPECT_FALSE(parse_unsigned("", 16, &value));
    EXPECT_FALSE(parse_unsigned("  ", 16, &value));
    EXPECT_FALSE(parse_unsigned("+", 10, &value));
    EXPECT_FALSE(parse_unsigned("xyz", 16, &value));
    EXPECT_FALSE(parse_unsigned("A", 10, &value));
    EXPECT_EQ(value, 1234u);
}

std::vector<std::string> put_lines;
void collect(const char* line) { put_lines.emplace_back(line); }

TEST(LinePrinter, HandsOnWholeLinesThroughTheOutputHook) {
    put_lines.clear();
    cpudebug_put = collect;
    cpudebug_printf("%s", "");
    cpudebug_printf("abc");
    EXPECT_TRUE(put_lines.empty());
    cpudebug_printf("%d\nsecond\nthi", 42);
    EXPECT_EQ(put_lines, (std::vector<std::string>{"abc42\n", "second\n"}));
    cpudebug_printf("rd\n");
    EXPECT_EQ(put_lines.back(), "third\n");
    cpudebug_put = nullptr;
}

TEST(LinePrinter, SplitsLongLinesAt99CharactersAndCutsTextsAt399) {
    put_lines.clear();
    cpudebug_put = collect;
    cpudebug_printf("%s\n", std::string(150, 'x').c_str());
    ASSERT_EQ(put_lines.size(), 2u);
    EXPECT_EQ(put_lines[0], std::string(99, 'x'));
    EXPECT_EQ(put_lines[1], std::string(51, 'x') + "\n");
    put_lines.clear();
    cpudebug_printf("%s\n", std::string(500, 'y').c_str());  // the newline is past 399
    EXPECT_EQ(put_lines.size(), 4u);  // 99 * 4 = 396 characters handed on
    cpudebug_printf("\n");
    ASSERT_EQ(put_lines.size(), 5u);
    EXPECT_EQ(put_lines[4], "yyy\n");
    cpudebug_put = nullptr;
}

TEST(LinePrinter, WritesToStandardOutputWithoutHook) {
    cpudebug_put = nullptr;
    StdoutCapture capture;
    cpudebug_printf("value %04X", 0xBEEF);
    cpudebug_printf("\n");
    EXPECT_EQ(capture.finish(), "value BEEF\n");
    EXPECT_EQ(cpudebug_disabled(), 0);
}

}  // namespace
