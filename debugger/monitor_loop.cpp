// The interactive monitor: prompt, read a command line, perform the command.
#include <cstdio>

#include "monitor.h"
#include "run_control.h"
#include "s68000.h"

cpudebug_output_hook cpudebug_put = nullptr;
cpudebug_input_hook cpudebug_get = nullptr;
void (*cpudebug_stop_check)() = nullptr;
bool (*cpudebug_leave_check)() = nullptr;

namespace {

constexpr int kListingLength = 16;  // instructions listed by `u`
constexpr int kResultQuit = -1;

// End of input, remembered across entries for the source that reached it
// (standard input is the null hook).
bool input_ended = false;
cpudebug_input_hook ended_source = nullptr;

struct Hooks {
    cpudebug_step_hook step;
    cpudebug_dump_hook dump;
};

// One command line, like fgets.
LineRead read_command(char* line) {
    if (!cpudebug_get) return console_read_line(line, kCommandLineSize);
    monitor_stop_check();
    if (monitor_leave_requested()) return LineRead::Left;
    if (!cpudebug_get(line, kCommandLineSize)) return LineRead::End;
    line[kCommandLineSize - 1] = '\0';  // whatever the hook left there
    return LineRead::Line;
}

// The prompt's line while the monitor waits for a command. When the wait
// ends without a line, because the thread is being stopped (the stop check
// unwinds) or the host releases the monitor, the line is ended, so that
// whatever is printed next starts a line of its own.
class PromptLine {
public:
    ~PromptLine() {
        if (!open_) return;
        std::printf("\n");
        std::fflush(stdout);
    }
    void answered() { open_ = false; }

private:
    bool open_ = true;
};

// Whether a long loop must stop: Ctrl-C, or the host releasing the monitor.
bool loop_interrupted(const InterruptGuard& guard) { return guard.interrupted() || monitor_leave_requested(); }

// Every command that runs or changes the processor tells the host that the
// frames it recorded no longer lead to the machine's state.
void step(const Hooks& hooks) {
    debuggerTargetChanged();
    if (hooks.step)
        hooks.step();
    else
        s68000exec(1);
}

// The hexadecimal address that `b` and `j` need; false, after saying why,
// when it is absent or cannot be read.
bool address_argument(const char* argument, uint32_t* address) {
    if (!argument) {
        std::printf("Need an address\n");
        return false;
    }
    if (!parse_unsigned(argument, 16, address)) {
        std::printf("Invalid address\n");
        return false;
    }
    return true;
}

void list_at_pc() {
    debugpc = _s68000context.pc;
    cpudebug_disassemble(1);
    debugpc = _s68000context.pc;
}

// Runs until pc reaches the address (compared before every step), Ctrl-C
// or the stop check.
void run_to(const char* argument, const Hooks& hooks) {
    uint32_t address;
    if (!address_argument(argument, &address)) return;
    InterruptGuard guard;
    while (_s68000context.pc != address) {
        monitor_stop_check();
        if (loop_interrupted(guard)) break;
        step(hooks);
    }
    cpudebug_registerdump();
}

void trace(const char* argument, const Hooks& hooks) {
    uint32_t count;
    if (!argument || !parse_unsigned(argument, 16, &count)) count = 1;
    if (count == 0) return;
    InterruptGuard guard;
    for (uint32_t i = 0; i < count; ++i) {
        monitor_stop_check();
        if (loop_interrupted(guard)) break;
        step(hooks);
    }
    cpudebug_registerdump();
}

// Steps and lists every instruction executed, until Ctrl-C or the stop check.
void execute_and_list() {
    InterruptGuard guard;
    for (;;) {
        monitor_stop_check();
        if (loop_interrupted(guard)) return;
        debugpc = _s68000context.pc;
        debuggerTargetChanged();
        s68000exec(1);
        cpudebug_disassemble(1);
    }
}

void interrupt(const char* argument) {
    uint32_t number;
    if (!argument) {
        std::printf("Need an interrupt number\n");
        return;
    }
    if (!parse_unsigned(argument, 10, &number)) {
        std::printf("Invalid interrupt number\n");
        return;
    }
    const int typed = static_cast<int>(number);
    std::printf("IRQ %i generated\n", typed);
    int vector = typed;
    if (typed >= 2 && typed <= 4) vector = 24 + typed;  // the autovectors 26 to 28
    s68000interrupt(4, vector);
    debuggerTargetChanged();
    debugpc = _s68000context.pc;
}

void jump(const char* argument) {
    uint32_t address;
    if (!address_argument(argument, &address)) return;
    _s68000context.pc = address;
    debuggerTargetChanged();
    std::printf("PC set to %08X\n", address);
    list_at_pc();
}

// The argument begins after the command letter and every control character
// (codes 1 to 31 and 128 to 255) that follows; blanks are kept. Null when
// nothing is left.
const char* argument_of(const char* line) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(line) + 1;
    while ((*p >= 1 && *p <= 31) || *p >= 128) ++p;
    return *p ? reinterpret_cast<const char*>(p) : nullptr;
}

char lower_case(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the monitor is entered with its input still at the end it
// reached before. A line the input hook gives meanwhile is kept in `line`
// and `pending` set.
bool still_at_end(char* line, bool* pending) {
    if (!input_ended || ended_source != cpudebug_get) return false;
    if (cpudebug_get) {
        monitor_stop_check();
        if (!cpudebug_get(line, kCommandLineSize)) return true;
        line[kCommandLineSize - 1] = '\0';
        *pending = true;
    } else if (console_still_at_end()) {
        return true;
    }
    input_ended = false;
    return false;
}

}  // namespace

int cpudebug_interactive(int cpu, cpudebug_output_hook put, cpudebug_input_hook get,
                         cpudebug_step_hook step_hook, cpudebug_dump_hook dump) {
    cpudebug_put = put;
    cpudebug_get = get;
    hexaddr = 0;
    const Hooks hooks = {step_hook, dump};
    char line[kCommandLineSize];
    bool pending = false;
    if (still_at_end(line, &pending)) return kResultQuit;

    for (;;) {
        s68000flushInterrupts();
        std::printf("[cpu %d]>", cpu);
        std::fflush(stdout);
        LineRead got = LineRead::Line;
        if (!pending) {
            PromptLine prompt;
            got = read_command(line);
            if (got == LineRead::Line) prompt.answered();
        }
        if (got == LineRead::Left) return kResultQuit;
        if (got == LineRead::End) {
            // End of input leaves as q does, and so does every later entry
            // while the input stays at its end.
            input_ended = true;
            ended_source = cpudebug_get;
            return kResultQuit;
        }
        pending = false;
        if (line[0] == '\0') continue;

        const char command = lower_case(line[0]);
        const char* argument = argument_of(line);
        uint32_t number;
        switch (command) {
        case '?': cpudebug_help(); break;
        case 'b': run_to(argument, hooks); break;
        case 'c':
            _s68000context.dreg[0] = 1;
            debuggerTargetChanged();
            break;
        case 'd':
            if (argument && parse_unsigned(argument, 16, &number)) hexaddr = number;
            cpudebug_hexdump();
            break;
        case 'e': execute_and_list(); break;
        case 'h':
            if (hooks.dump) hooks.dump();
            break;
        case 'i': interrupt(argument); break;
        case 'j': jump(argument); break;
        case 'q': return kResultQuit;
        case 'r': cpudebug_registerdump(); break;
        case 's':
            if (!argument) return 0;
            if (!parse_unsigned(argument, 10, &number)) number = 0;
            if (number != 0) return static_cast<int>(number);
            std::printf("Invalid CPU number\n");
            break;
        case 't': trace(argument, hooks); break;
        case 'u':
            if (argument && parse_unsigned(argument, 16, &number)) debugpc = number;
            cpudebug_disassemble(kListingLength);
            break;
        default: break;  // every other character is ignored
        }
    }
}

// The monitor's number conversion, with the results of a 32-bit strtoul
// whatever the host's long is.
namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

bool is_digit(char c, int base) { return digit_value(c) < base; }

}  // namespace

bool parse_unsigned(const char* text, int base, uint32_t* value) {
    const char* p = text;
    while (is_space(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // "0x" counts as a prefix only when a hex digit follows; "0xg" is the number 0.
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && is_digit(p[2], 16)) p += 2;
    if (!is_digit(*p, base)) return false;
    uint64_t magnitude = 0;
    bool overflow = false;
    for (; is_digit(*p, base); ++p) {
        magnitude = magnitude * base + digit_value(*p);
        if (magnitude > 0xFFFFFFFFu) {
            overflow = true;
            magnitude = 0xFFFFFFFFu;  // keep it bounded; the result is saturated below
        }
    }
    if (overflow)
        *value = 0xFFFFFFFFu;
    else
        *value = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                          : static_cast<uint32_t>(magnitude);
    return true;
}
