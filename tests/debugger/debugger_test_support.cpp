#include "debugger_test_support.h"

#include <chrono>
#include <stdexcept>

#include "monitor_output.h"

TestMachine::TestMachine() : image_(0x8000, 0) {
    static const bool initialised = (s68000init(), true);
    (void)initialised;
    fetch_[0] = s68000_program(0, 0xFFFF, image_.data());
    fetch_[1] = s68000_program_end();
    data_[0] = s68000_direct(0, 0xFFFF, image_.data());
    data_[1] = s68000_data_end();
    s68000context& c = _s68000context;
    c.s_fetch = c.u_fetch = fetch_;
    c.s_readbyte = c.s_readword = c.s_writebyte = c.s_writeword = data_;
    c.u_readbyte = c.u_readword = c.u_writebyte = c.u_writeword = data_;
    c.resethandler = nullptr;
    for (int level = 1; level <= 7; ++level) c.interrupts[level] = 0;
    poke(0, {0, 0x8000, 0, 0x1000});
    if (s68000reset() != 0) throw std::runtime_error("reset failed");
}

void TestMachine::poke(uint32_t address, std::initializer_list<uint16_t> words) {
    for (uint16_t w : words) image_.at((address += 2) / 2 - 1) = w;
}

std::string listing(uint32_t address, int count) {
    debugpc = address;
    MonitorCapture capture;
    cpudebug_disassemble(count);
    return capture.text();
}

std::string prompts(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '~' ? std::string("[cpu 1]>") : std::string(1, c);
    return out;
}

namespace {
std::chrono::steady_clock::time_point deadline;
}

MonitorTest::MonitorTest() {
    machine.poke(0x1000, {0x7001, 0x5280, 0x4E71, 0x60F8});
    stop_checks = 0;
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    on_stop_check = nullptr;
    leave_check = nullptr;
    cpudebug_stop_check = bounded_stop_check;
    cpudebug_leave_check = answer_leave_check;
}

MonitorTest::~MonitorTest() {
    cpudebug_stop_check = nullptr;
    cpudebug_leave_check = nullptr;
}

MonitorRun MonitorTest::run(std::vector<std::string> lines, cpudebug_input_hook input, cpudebug_step_hook step,
                            cpudebug_dump_hook dump) {
    script = std::move(lines);
    stop_checks = 0;
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    testing::internal::CaptureStdout();
    int result = kStopped;
    try {
        result = cpudebug_interactive(1, nullptr, input, step, dump);
    } catch (const StopRequested&) {
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
    return {result, testing::internal::GetCapturedStdout()};
}

char* MonitorTest::scripted_input(char* buffer, int size) {
    if (script.empty()) return nullptr;
    std::snprintf(buffer, static_cast<size_t>(size), "%s", script.front().c_str());
    script.erase(script.begin());
    return buffer;
}

void MonitorTest::bounded_stop_check() {
    ++stop_checks;
    if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the monitor ran for 5 s");
    if (on_stop_check) on_stop_check();
}
