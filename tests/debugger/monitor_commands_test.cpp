// The monitor's commands through its input hook, comparing the whole output.
#include <gtest/gtest.h>

#include <cstring>

#include "debugger_test_support.h"

namespace {

const std::string kPrompt = "[cpu 1]>";

// A small program at the reset PC 0x1000.
class MonitorTest : public ::testing::Test {
protected:
    MonitorTest() {
        machine.poke(0x1000, {0x7001, 0x5280, 0x4E71, 0x60F8});  // moveq #1,d0; addq.l #1,d0; nop; bra 0x1000
        steps = 0;
        dumps = 0;
    }

    static void counting_step() {
        ++steps;
        s68000exec(1);
    }
    static void counting_dump() { ++dumps; }

    TestMachine machine;
    static inline int steps = 0;
    static inline int dumps = 0;
};

const std::string kResetDump =
    "d0=00000000   d4=00000000   a0=00000000   a4=00000000   -----\n"
    "d1=00000000   d5=00000000   a1=00000000   a5=00000000   intmask=7\n"
    "d2=00000000   d6=00000000   a2=00000000   a6=00000000   --------------\n"
    "d3=00000000   d7=00000000   a3=00000000   a7=00008000   usp=00000000\n"
    "00001000: 7001                     moveq   #$01,d0\n";

TEST_F(MonitorTest, QuitAndSwitchResults) {
    EXPECT_EQ(run_monitor({"q\n"}).result, -1);
    EXPECT_EQ(run_monitor({"s\n"}).result, 0);
    EXPECT_EQ(run_monitor({"s 2\n"}).result, 2);
    EXPECT_EQ(run_monitor({"S 12\n"}).result, 12);
    MonitorRun zero = run_monitor({"s 0\n", "s x\n", "q\n"});
    EXPECT_EQ(zero.result, -1);
    EXPECT_EQ(zero.output, kPrompt + "Invalid CPU number\n" + kPrompt + "Invalid CPU number\n" + kPrompt);
}

TEST_F(MonitorTest, HelpText) {
    MonitorRun run = run_monitor({"?\n", "q\n"});
    EXPECT_EQ(run.output, kPrompt +
                              "b [address]           Run continuously, break at PC=[address]\n"
                              "d [address]           Dump memory, starting at [address]\n"
                              "h                     Hardware dump\n"
                              "i [number]            Generate hardware interrupt [number]\n"
                              "j [address]           Jump directly to [address]\n"
                              "q                     Quit\n"
                              "r                     Show register dump and next instruction\n"
                              "s [n]                 Switch to CPU [n]\n"
                              "t [hex number]        Trace through [hex number] instructions\n"
                              "u [address]           Unassemble code, starting at [address]\n"
                              "e\t\t\t\t\t   Execute & unassemble\n" +
                              kPrompt);
}

TEST_F(MonitorTest, EmptyLinesAndUnknownLettersOnlyPromptAgain) {
    MonitorRun run = run_monitor({"", "\n", "x\n", "z\n", "!\n", "v 10\n", "@\n", "q\n"});
    EXPECT_EQ(run.result, -1);
    std::string prompts;
    for (int i = 0; i < 8; ++i) prompts += kPrompt;
    EXPECT_EQ(run.output, prompts);
}

TEST_F(MonitorTest, RegisterDumpAtReset) {
    EXPECT_EQ(run_monitor({"r\n", "q\n"}).output, kPrompt + kResetDump + kPrompt);
}

TEST_F(MonitorTest, RegisterDumpFlagsMaskPendingLevelsAndStackPointer) {
    s68000context& c = _s68000context;
    for (int i = 0; i < 8; ++i) {
        c.dreg[i] = 0x11111111u * static_cast<uint32_t>(i);
        c.areg[i] = 0xA0000000u + static_cast<uint32_t>(i);
    }
    c.asp = 0x00123456;
    c.sr = 0x2704;
    ASSERT_EQ(s68000interrupt(4, 28), 0);  // mask 7 keeps it pending
    ASSERT_EQ(s68000interrupt(6, 0x40), 0);
    MonitorRun run = run_monitor({"r\n", "q\n"});
    EXPECT_EQ(run.output, kPrompt +
                              "d0=00000000   d4=44444444   a0=A0000000   a4=A0000004   --Z--\n"
                              "d1=11111111   d5=55555555   a1=A0000001   a5=A0000005   intmask=7\n"
                              "d2=22222222   d6=66666666   a2=A0000002   a6=A0000006   ------1C--40--\n"
                              "d3=33333333   d7=77777777   a3=A0000003   a7=A0000007   usp=00123456\n"
                              "00001000: 7001                     moveq   #$01,d0\n" +
                              kPrompt);
}

TEST_F(MonitorTest, RegisterDumpInUserModeShowsTheSupervisorStack) {
    _s68000context.sr = 0x001F;
    _s68000context.asp = 0x8000;
    MonitorRun run = run_monitor({"r\n", "q\n"});
    EXPECT_NE(run.output.find("   XNZVC\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("   intmask=0\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("   ssp=00008000\n"), std::string::npos) << run.output;
}

TEST_F(MonitorTest, BreakpointArgumentMessages) {
    MonitorRun run = run_monitor({"b\n", "b \n", "bxyz\n", "b\t\n", "q\n"}, counting_step);
    EXPECT_EQ(run.output, kPrompt + "Need an address\n" + kPrompt + "Invalid address\n" + kPrompt +
                              "Invalid address\n" + kPrompt + "Need an address\n" + kPrompt);
    EXPECT_EQ(steps, 0);
}

TEST_F(MonitorTest, BreakpointAtThePcRunsNothing) {
    _s68000context.pc = 0x400;
    machine.poke(0x400, {0x4E71});
    MonitorRun run = run_monitor({"b 400\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(run.output, kPrompt +
                              "d0=00000000   d4=00000000   a0=00000000   a4=00000000   -----\n"
                              "d1=00000000   d5=00000000   a1=00000000   a5=00000000   intmask=7\n"
                              "d2=00000000   d6=00000000   a2=00000000   a6=00000000   --------------\n"
                              "d3=00000000   d7=00000000   a3=00000000   a7=00008000   usp=00000000\n"
                              "00000400: 4E71                     nop\n" +
                              kPrompt);
}

TEST_F(MonitorTest, BreakpointRunsUntilThePcReachesTheAddress) {
    MonitorRun run = run_monitor({"b 1004\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(_s68000context.pc, 0x1004u);
    EXPECT_EQ(_s68000context.dreg[0], 2u);
    EXPECT_EQ(run.output, kPrompt +
                              "d0=00000002   d4=00000000   a0=00000000   a4=00000000   -----\n"
                              "d1=00000000   d5=00000000   a1=00000000   a5=00000000   intmask=7\n"
                              "d2=00000000   d6=00000000   a2=00000000   a6=00000000   --------------\n"
                              "d3=00000000   d7=00000000   a3=00000000   a7=00008000   usp=00000000\n"
                              "00001004: 4E71                     nop\n" +
                              kPrompt);
}

TEST_F(MonitorTest, BreakpointWithoutStepHookUsesTheCore) {
    run_monitor({"b 1006\n", "q\n"});
    EXPECT_EQ(_s68000context.pc, 0x1006u);
    EXPECT_EQ(_s68000context.dreg[0], 2u);
}

TEST_F(MonitorTest, TraceCounts) {
    run_monitor({"t\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 1);
    steps = 0;
    run_monitor({"t 10\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 16);
    steps = 0;
    run_monitor({"t zz\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 1);
    steps = 0;
    MonitorRun nothing = run_monitor({"t 0\n", "q\n"}, counting_step);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(nothing.output, kPrompt + kPrompt);
}

TEST_F(MonitorTest, TraceStepsThenDumps) {
    MonitorRun run = run_monitor({"t 3\n", "q\n"});
    EXPECT_EQ(_s68000context.pc, 0x1006u);
    EXPECT_EQ(run.output, kPrompt +
                              "d0=00000002   d4=00000000   a0=00000000   a4=00000000   -----\n"
                              "d1=00000000   d5=00000000   a1=00000000   a5=00000000   intmask=7\n"
                              "d2=00000000   d6=00000000   a2=00000000   a6=00000000   --------------\n"
                              "d3=00000000   d7=00000000   a3=00000000   a7=00008000   usp=00000000\n"
                              "00001006: 60F8                     bra     ($001000)\n" +
                              kPrompt);
}

TEST_F(MonitorTest, InterruptNumbersAndVectors) {
    MonitorRun run = run_monitor({"i\n", "i x\n", "i 4\n", "q\n"});
    EXPECT_EQ(run.output, kPrompt + "Need an interrupt number\n" + kPrompt + "Invalid interrupt number\n" +
                              kPrompt + "IRQ 4 generated\n" + kPrompt);
    // The mask (7) keeps the level-4 request pending with the autovector.
    EXPECT_TRUE(_s68000context.interrupts[0] & (1 << 4));
    EXPECT_EQ(_s68000context.interrupts[4], 28);

    const int vectors[][2] = {{2, 26}, {3, 27}, {6, 6}, {200, 200}};
    for (const auto& [number, vector] : vectors) {
        TestMachine fresh;
        std::string line = "i " + std::to_string(number) + "\n";
        EXPECT_EQ(run_monitor({line, "q\n"}).output,
                  kPrompt + "IRQ " + std::to_string(number) + " generated\n" + kPrompt);
        EXPECT_EQ(_s68000context.interrupts[4], vector) << number;
    }
}

TEST_F(MonitorTest, RaisedInterruptIsTakenBeforeTheNextPrompt) {
    machine.poke(28 * 4, {0x0000, 0x2000});  // vector 28 -> 0x2000
    machine.poke(0x2000, {0x4E73});
    _s68000context.sr = 0x2000;  // mask 0
    MonitorRun run = run_monitor({"i 4\n", "r\n", "q\n"});
    EXPECT_EQ(_s68000context.pc, 0x2000u);
    EXPECT_NE(run.output.find("intmask=4\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("00002000: 4E73                     rte\n"), std::string::npos) << run.output;
    EXPECT_EQ(debugpc, 0x2000u);
}

TEST_F(MonitorTest, JumpSetsThePcAndListsTheInstruction) {
    machine.poke(0x1800, {0x4E75});
    MonitorRun run = run_monitor({"j\n", "j q\n", "j 1800\n", "q\n"});
    EXPECT_EQ(run.output, kPrompt + "Need an address\n" + kPrompt + "Invalid address\n" + kPrompt +
                              "PC set to 00001800\n"
                              "00001800: 4E75                     rts\n" +
                              kPrompt);
    EXPECT_EQ(_s68000context.pc, 0x1800u);
    EXPECT_EQ(debugpc, 0x1800u);
}

TEST_F(MonitorTest, JumpThenUnassembleListsFromTheNewPc) {
    MonitorRun run = run_monitor({"j 1000\n", "u\n", "q\n"});
    std::string expected = kPrompt + "PC set to 00001000\n" + "00001000: 7001                     moveq   #$01,d0\n" + kPrompt +
                           "00001000: 7001                     moveq   #$01,d0\n"
                           "00001002: 5280                     add.l   #1,d0\n"
                           "00001004: 4E71                     nop\n"
                           "00001006: 60F8                     bra     ($001000)\n";
    // 0x1008 on is zero: "or.b #$00,d0" reads two words each.
    for (uint32_t address = 0x1008; address < 0x1008 + 12 * 4; address += 4) {
        char line[80];
        std::snprintf(line, sizeof line, "%08X: 0000 0000                or.b    #$00,d0\n", address);
        expected += line;
    }
    EXPECT_EQ(run.output, expected + kPrompt);
    EXPECT_EQ(debugpc, 0x1038u);
}

TEST_F(MonitorTest, UnassembleContinuesAcrossEntries) {
    machine.poke(0x3000, {0x4E71});
    run_monitor({"u 3000\n", "q\n"});
    EXPECT_EQ(debugpc, 0x3000u + 2 + 15 * 4);
    MonitorRun again = run_monitor({"u\n", "q\n"});
    EXPECT_EQ(again.output.substr(kPrompt.size(), 10), "0000303E: ");
}

// A dump line of zero words with no marker.
std::string zero_line(uint32_t address) {
    char line[80];
    std::snprintf(line, sizeof line, "%08X:  0000 0000 0000 0000 0000 0000 0000 0000   ................\n",
                  address);
    return line;
}

TEST_F(MonitorTest, DumpMarksTheWordAndContinues) {
    MonitorRun run = run_monitor({"d 1004\n", "d\n", "q\n"});
    std::string expected = kPrompt + "00001000:  7001 5280>4E71<60F8 0000 0000 0000 0000   p.R.Nq`.........\n";
    for (uint32_t line = 0x1010; line < 0x1080; line += 16) expected += zero_line(line);
    expected += kPrompt + "00001080:  0000 0000>0000<0000 0000 0000 0000 0000   ................\n";
    for (uint32_t line = 0x1090; line < 0x1100; line += 16) expected += zero_line(line);
    EXPECT_EQ(run.output, expected + kPrompt);
    EXPECT_EQ(hexaddr, 0x1104u);
}

TEST_F(MonitorTest, DumpMarkerPositions) {
    auto first_line = [](const std::string& command) {
        std::string output = run_monitor({command, "q\n"}).output;
        return output.substr(kPrompt.size(), output.find('\n') - kPrompt.size());
    };
    EXPECT_EQ(first_line("d 1005\n"), "00001000:  7001 5280 4E71<60F8 0000 0000 0000 0000   p.R.Nq`.........");
    EXPECT_EQ(first_line("d 1000\n"), "00001000: >7001<5280 4E71 60F8 0000 0000 0000 0000   p.R.Nq`.........");
    EXPECT_EQ(first_line("D 1000\n"), "00001000: >7001<5280 4E71 60F8 0000 0000 0000 0000   p.R.Nq`.........");
    EXPECT_EQ(first_line("d 100E\n"), "00001000:  7001 5280 4E71 60F8 0000 0000 0000>0000<  p.R.Nq`.........");
    EXPECT_EQ(first_line("d\t0x100f\n"), "00001000:  7001 5280 4E71 60F8 0000 0000 0000 0000<  p.R.Nq`.........");
}

TEST_F(MonitorTest, DumpStartsAtZeroOnEveryEntryAndKeepsItOnBadAddress) {
    machine.poke_bytes(0x0010, "Hi there, 68000!");
    MonitorRun run = run_monitor({"d\n", "d zz\n", "q\n"});
    EXPECT_EQ(run.output.find(kPrompt + "00000000: >0000<8000 0000 1000 0000 0000 0000 0000   ................\n"
                                        "00000010:"),
              0u);
    EXPECT_NE(run.output.find("00000010:  4869 2074 6865 7265 2C20 3638 3030 3021   Hi there, 68000!\n"),
              std::string::npos);
    EXPECT_NE(run.output.find(kPrompt + "00000080: >0000<"), std::string::npos);
    EXPECT_EQ(hexaddr, 0x100u);
}

TEST_F(MonitorTest, DumpOfUnmappedMemoryShowsFFFF) {
    MonitorRun run = run_monitor({"d FFF8\n", "q\n"});
    EXPECT_NE(run.output.find("0000FFF0:  0000 0000 0000 0000>0000<0000 0000 0000   ................\n"
                              "00010000:  FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF   ................\n"),
              std::string::npos)
        << run.output;
}

TEST_F(MonitorTest, DumpWrapsAtTheTopOfTheAddressSpace) {
    MonitorRun run = run_monitor({"d FFFFFFF0\n", "q\n"});
    EXPECT_NE(run.output.find("FFFFFFF0: >FFFF<FFFF"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\n00000000:  0000 8000 0000 1000"), std::string::npos) << run.output;
    EXPECT_EQ(hexaddr, 0x70u);
}

TEST_F(MonitorTest, SetD0AndHardwareDump) {
    MonitorRun run = run_monitor({"c\n", "h\n", "h\n", "q\n"}, nullptr, counting_dump);
    EXPECT_EQ(run.output, kPrompt + kPrompt + kPrompt + kPrompt);
    EXPECT_EQ(_s68000context.dreg[0], 1u);
    EXPECT_EQ(dumps, 2);
    EXPECT_EQ(run_monitor({"h\n", "q\n"}).output, kPrompt + kPrompt);
}

TEST_F(MonitorTest, ArgumentSkipsControlCharactersButNotBlanks) {
    // A tab and a byte above 127 are skipped; "0x" prefixes are taken.
    EXPECT_EQ(run_monitor({"j\t\x80 0x1004\n", "q\n"}).output,
              kPrompt + "PC set to 00001004\n00001004: 4E71                     nop\n" + kPrompt);
}

TEST_F(MonitorTest, PromptShowsTheCpuNumber) {
    script.assign({"q\n"});
    StdoutCapture capture;
    EXPECT_EQ(cpudebug_interactive(7, nullptr, scripted_input, nullptr, nullptr), -1);
    EXPECT_EQ(capture.finish(), "[cpu 7]>");
}

char* fill_without_terminator(char* buffer, int size) {
    static int calls = 0;
    if (calls++ % 2) {
        std::snprintf(buffer, static_cast<size_t>(size), "q\n");
    } else {
        EXPECT_EQ(size, 80);
        std::memset(buffer, 'c', static_cast<size_t>(size));  // no terminator at all
    }
    return buffer;
}

TEST_F(MonitorTest, InputHookGetsEightyBytesAndAnUnterminatedLineIsCut) {
    StdoutCapture capture;
    EXPECT_EQ(cpudebug_interactive(1, nullptr, fill_without_terminator, nullptr, nullptr), -1);
    EXPECT_EQ(capture.finish(), kPrompt + kPrompt);
    EXPECT_EQ(_s68000context.dreg[0], 1u);  // the 'c' command ran
}

}  // namespace
