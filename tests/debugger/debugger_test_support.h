// The one fixture of the disassembler and monitor tests: a small 68000
// memory built from the core's region lists, and the monitor run on scripted
// lines with every wait bounded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cpudebug.h"
#include "s68000.h"

// 64 KiB at 0x000000-0x00FFFF as program and data region, nothing above.
// Reset vectors: SSP 0x8000, PC 0x1000.
class TestMachine {
public:
    TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    void poke(uint32_t address, std::initializer_list<uint16_t> words);  // from an even address

private:
    std::vector<uint16_t> image_;
    program_region fetch_[2];
    data_region data_[2];
};

// Lists `count` instructions from `address` and returns the text printed.
std::string listing(uint32_t address, int count = 1);

// `text` with every '~' replaced by the monitor's prompt "[cpu 1]>".
std::string prompts(const std::string& text);

struct StopRequested {};  // what a test's stop check throws to stop the monitor's thread
constexpr int kStopped = -100;

struct MonitorRun {
    int result;  // kStopped when the stop check threw StopRequested
    std::string output;
    bool operator==(const MonitorRun&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const MonitorRun& run) {
        return out << run.result << " '" << run.output << "'";
    }
};

// The monitor with "moveq #1,d0; addq.l #1,d0; nop; bra 0x1000" at the reset
// PC. Every run is bounded: its stop check throws once the run has taken 5 s,
// so a monitor that never returns fails the test instead of hanging it.
class MonitorTest : public ::testing::Test {
protected:
    MonitorTest();
    ~MonitorTest() override;

    // Runs the monitor (cpu 1) with `lines` for the scripted input hook.
    MonitorRun run(std::vector<std::string> lines, cpudebug_input_hook input = scripted_input,
                   cpudebug_step_hook step = nullptr, cpudebug_dump_hook dump = nullptr);
    static char* scripted_input(char* buffer, int size);
    static void bounded_stop_check();
    static bool answer_leave_check() { return leave_check && leave_check(); }

    TestMachine machine;
    static inline std::vector<std::string> script;  // lines not given yet
    static inline int stop_checks = 0;               // calls of the stop check in this run
    static inline std::function<void()> on_stop_check;
    static inline std::function<bool()> leave_check;
};
