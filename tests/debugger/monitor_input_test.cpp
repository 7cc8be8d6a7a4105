// The monitor's input and the ways out of it: standard input read through
// poll, end of input, the host's stop and leave checks (the desktop program
// stopping its thread, Debug switched off), Ctrl-C in the long loops; and the
// number conversion and line printer the monitor uses.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <gmock/gmock.h>

#include "debugger_test_support.h"
#include "monitor.h"

namespace {

using namespace ::testing;

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

using MonitorInputTest = MonitorTest;

TEST_F(MonitorInputTest, StandardInputLinesAndItsEnd) {
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

TEST_F(MonitorInputTest, InputHookEndAndResumption) {
    run({"q\n"});  // whatever an earlier test left, the input has not ended
    EXPECT_EQ(run({}), (MonitorRun{-1, prompts("~\n")}));
    EXPECT_EQ(run({}), (MonitorRun{-1, ""}));
    EXPECT_EQ(run({"s 3\n"}), (MonitorRun{3, prompts("~")}));
    leave_check = [] { return true; };  // resumed, no longer at its end: the release comes first
    run({"q\n"});
    EXPECT_EQ(script.size(), 1u);
}

TEST_F(MonitorInputTest, StopCheckWhileWaitingAndOnEveryStep) {
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

TEST_F(MonitorInputTest, ReleasedByTheHostLeavesAsQ) {
    StdinPipe input;  // nobody types
    leave_check = [] { return stop_checks >= 3; };
    EXPECT_EQ(run({}, nullptr), (MonitorRun{-1, prompts("~\n")}));
    leave_check = nullptr;  // not an end of input: the next entry prompts and reads
    input.write_text("s 2\n");
    EXPECT_EQ(run({}, nullptr).result, 2);

    leave_check = [] { return stop_checks >= 3; };  // two lines are read, the third never asked for
    EXPECT_EQ(run({"c\n", "c\n", "q\n"}), (MonitorRun{-1, prompts("~~~\n")}));
    EXPECT_EQ(script.size(), 1u);
    for (const char* command : {"e\n", "b 9000\n", "t 100000\n"}) {  // the long loops stop
        _s68000context.pc = 0x1000;
        leave_check = [] { return stop_checks >= 1000; };
        const MonitorRun ran = run({command, "q\n"});
        EXPECT_EQ(ran.result, -1) << command;
        EXPECT_THAT(ran.output, EndsWith(prompts("~\n")));
        EXPECT_EQ(script.size(), 1u) << command;  // the q was never read
    }
}

volatile std::sig_atomic_t own_handler_calls = 0;  // the program's own SIGINT handler
void own_handler(int) { own_handler_calls = own_handler_calls + 1; }

TEST_F(MonitorInputTest, CtrlCStopsTheLongLoopsAndIsTheProgramsAgainAfterwards) {
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
