#include "debugger_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

TestMachine::TestMachine() : image_(kSize / 2, 0) {
    static const bool initialised = (s68000init(), true);
    (void)initialised;
    fetch_[0] = s68000_program(0, kSize - 1, image_.data());
    fetch_[1] = s68000_program_end();
    data_[0] = s68000_direct(0, kSize - 1, image_.data());
    data_[1] = s68000_data_end();
    s68000context& c = _s68000context;
    c.s_fetch = c.u_fetch = fetch_;
    c.s_readbyte = c.s_readword = c.s_writebyte = c.s_writeword = data_;
    c.u_readbyte = c.u_readword = c.u_writebyte = c.u_writeword = data_;
    c.resethandler = nullptr;
    for (int level = 1; level <= 7; ++level) c.interrupts[level] = 0;
    poke(0, {0, static_cast<uint16_t>(kResetSsp), 0, static_cast<uint16_t>(kResetPc)});
    if (s68000reset() != 0) throw std::runtime_error("reset failed");
    s68000tripOdometer();
}

void TestMachine::poke(uint32_t address, std::initializer_list<uint16_t> words) {
    for (uint16_t w : words) {
        image_.at(address / 2) = w;
        address += 2;
    }
}

void TestMachine::poke_bytes(uint32_t address, const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint32_t a = address + static_cast<uint32_t>(i);
        uint16_t& w = image_.at(a / 2);
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        w = (a & 1) ? static_cast<uint16_t>((w & 0xFF00) | b) : static_cast<uint16_t>((w & 0x00FF) | (b << 8));
    }
}

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    file_ = std::tmpfile();
    if (saved_ < 0 || !file_) throw std::runtime_error("cannot capture standard output");
    dup2(fileno(file_), STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() { finish(); }

std::string StdoutCapture::finish() {
    if (!file_) return {};
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    std::string text;
    std::rewind(file_);
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file_)) > 0) text.append(chunk, count);
    std::fclose(file_);
    file_ = nullptr;
    return text;
}

std::string listing(uint32_t address, int count) {
    debugpc = address;
    StdoutCapture capture;
    cpudebug_disassemble(count);
    return capture.finish();
}

std::string text_of(std::initializer_list<uint16_t> words, uint32_t address) {
    TestMachine machine;
    machine.poke(address, words);
    std::string line = listing(address);
    // "AAAAAAAA: " (10) and five word slots of five characters (25).
    if (line.size() < 36 || line.back() != '\n') return "<bad line: " + line + ">";
    return line.substr(35, line.size() - 36);
}

std::deque<std::string> script;

char* scripted_input(char* buffer, int size) {
    if (script.empty()) return nullptr;
    std::string line = script.front();
    script.pop_front();
    std::snprintf(buffer, static_cast<size_t>(size), "%s", line.c_str());
    return buffer;
}

MonitorRun run_monitor(std::vector<std::string> lines, cpudebug_step_hook step, cpudebug_dump_hook dump) {
    script.assign(lines.begin(), lines.end());
    StdoutCapture capture;
    int result = cpudebug_interactive(1, nullptr, scripted_input, step, dump);
    return {result, capture.finish()};
}
