// Test support for the disassembler and the monitor: a small 68000 memory
// built from the core's region lists, standard output captured into a
// string, and scripted input lines for the monitor's input hook.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "cpudebug.h"
#include "s68000.h"

// 64 KiB at 0x000000-0x00FFFF, one image serving as program region (fetch
// and the disassembler) and direct data region (the CPU's reads and writes).
// Everything above 0x00FFFF is unmapped. Reset vectors: SSP 0x8000, PC 0x1000.
class TestMachine {
public:
    static constexpr uint32_t kSize = 0x10000;
    static constexpr uint32_t kResetPc = 0x1000;
    static constexpr uint32_t kResetSsp = 0x8000;

    TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    // Stores 68000 words from an even address on.
    void poke(uint32_t address, std::initializer_list<uint16_t> words);
    void poke_bytes(uint32_t address, const std::string& bytes);
    uint16_t word(uint32_t address) const { return image_[address / 2]; }

private:
    std::vector<uint16_t> image_;
    program_region fetch_[2];
    data_region data_[2];
};

// Redirects file descriptor 1 into a temporary file until finish().
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    std::string finish();

private:
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

// Lists `count` instructions from `address` and returns the text printed.
std::string listing(uint32_t address, int count = 1);

// The text of one instruction (column 36 on), words stored at 0x1000.
std::string text_of(std::initializer_list<uint16_t> words, uint32_t address = 0x1000);

// Scripted lines for the monitor's input hook; null when they run out.
extern std::deque<std::string> script;
char* scripted_input(char* buffer, int size);

struct MonitorRun {
    int result;
    std::string output;
};

// Runs the monitor with cpu 1, scripted input and the given hooks.
MonitorRun run_monitor(std::vector<std::string> lines, cpudebug_step_hook step = nullptr,
                       cpudebug_dump_hook dump = nullptr);
