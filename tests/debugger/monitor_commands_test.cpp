// The monitor's commands through its input hook. In expected output '~'
// stands for the prompt "[cpu 1]>".
#include <algorithm>
#include <cstring>
#include <sstream>

#include <gmock/gmock.h>

#include "debugger_test_support.h"

namespace {

using namespace ::testing;

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

TEST_F(MonitorTest, SessionsOfCommandsAndMessages) {
    for (const Session& session : kSessions) {
        EXPECT_EQ(run(session.lines), (MonitorRun{session.result, prompts(session.output)}));
    }
    EXPECT_EQ(_s68000context.dreg[0], 1u);  // c
    const std::string output = run({"?\n", "q\n"}).output;
    std::istringstream help(output.substr(8, output.size() - 16));
    std::string line, letters;
    while (std::getline(help, line)) letters += line.substr(0, 1);
    EXPECT_EQ(letters, "bdhijqrstue");  // the help names every command
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
    machine.poke(28 * 4, {0x0000, 0x2000});  // vector 28 -> 0x2000: rte
    machine.poke(0x2000, {0x4E73});
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
    machine.poke(0xFFF0, {0x4869, 0x7F1F, 0x7E20});  // printable, DEL, a control character
    const std::string output = run({"d\n", "d zz\n", "d FFF0\n", "q\n"}).output;
    EXPECT_EQ(first_line(output), "00000000: >0000<8000 0000 1000 0000 0000 0000 0000   ................");
    EXPECT_THAT(output, HasSubstr("[cpu 1]>00000080: >0000<"));
    EXPECT_THAT(output, HasSubstr("[cpu 1]>0000FFF0: >4869<7F1F 7E20 0000 0000 0000 0000 0000   Hi..~ ..........\n"
                                  "00010000:  FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF   ................\n"));
}

int dumps = 0;
void counting_dump() { ++dumps; }

// Fills the whole buffer without a terminator: 'j' and 79 tabs, then "q".
char* unterminated(char* buffer, int size) {
    static bool first = false;
    EXPECT_EQ(size, 80);
    if ((first = !first)) buffer[0] = 'j', std::memset(buffer + 1, '\t', static_cast<size_t>(size) - 1);
    else std::snprintf(buffer, static_cast<size_t>(size), "q\n");
    return buffer;
}

TEST_F(MonitorTest, HooksPromptAndAnInputLineCutAtEightyBytes) {
    EXPECT_EQ(run({"h\n", "H\n", "q\n"}, scripted_input, nullptr, counting_dump).output, prompts("~~~"));
    EXPECT_EQ(dumps, 2);
    EXPECT_EQ(run({}, unterminated).output, prompts("~Need an address\n~"));
    script = {"q\n"};
    testing::internal::CaptureStdout();
    cpudebug_interactive(7, nullptr, scripted_input, nullptr, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[cpu 7]>");
}

}  // namespace
