/* The self-test program: runs the C workloads the number of times the ROM's
   parameter block asks for, then the assembly checks, leaves every result in
   the block at the start of work RAM and shows PASS or FAIL per check against
   the results the host computed when the ROM was built. */
#include "board_io.h"
#include "expected.h"
#include "selftest_abi.h"
#include "sprite_list.h"
#include "tile_map.h"

__attribute__((section(".params"), used)) const struct selftest_params params = {SELFTEST_PARAMS_MAGIC, 1};
__attribute__((section(".fixed"))) volatile struct selftest_block block;

static volatile uint32_t frames;

/* The interrupt chain runs all along: the handlers only acknowledge, count
   frames and feed the watchdog, so the workloads stay CPU-bound. */
__attribute__((interrupt_handler)) void irq_level4(void) {
    ACK_LEVEL4 = 0;
    WATCHDOG = (uint16_t)++frames;
}
__attribute__((interrupt_handler)) void irq_level3(void) { ACK_LEVEL3 = 0; }
__attribute__((interrupt_handler)) void irq_level2(void) { ACK_LEVEL2 = 0; }

enum { BANK_TEXT = 0, BANK_GOLD = 1, BANK_PASS = 2, BANK_FAIL = 3, BANK_LAMP = 15 };

static void set_colours(void) {
    PALETTE[0] = RGB(2, 3, 6);
    for (int i = 1; i <= 7; ++i) {
        PALETTE[BANK_TEXT * 16 + i] = RGB(31 - i, 31 - i, 31);
        PALETTE[BANK_GOLD * 16 + i] = RGB(31, 28 - 2 * i, 8);
    }
    PALETTE[BANK_TEXT * 16 + 8] = PALETTE[BANK_GOLD * 16 + 8] = RGB(1, 1, 2);
    for (int i = 1; i <= 14; ++i) {
        PALETTE[BANK_PASS * 16 + i] = RGB(i, 31, 8 + i);
        PALETTE[BANK_FAIL * 16 + i] = RGB(31, i, i);
    }
    PALETTE[BANK_PASS * 16 + 15] = PALETTE[BANK_FAIL * 16 + 15] = RGB(1, 1, 2);
    for (int i = 1; i <= 7; ++i) {
        PALETTE[BANK_LAMP * 16 + i] = RGB(10 + 3 * i, 1, 1);     /* unlit: a failed check */
        PALETTE[BANK_LAMP * 16 + 7 + i] = RGB(2, 12 + 2 * i, 2); /* lit: a passed one */
    }
}

static void big_text(int x, int y, const char* text, unsigned bank) {
    for (; *text; ++text, x += 16)
        if (*text != ' ') sl_absolute(x, y, TILE_BIG_FONT + (unsigned)(*text - FONT_FIRST_CHAR), bank, 0);
}

/* The checks as shown: a name and how many results it has. */
struct group {
    const char* name;
    int results;
};
static const struct group asm_groups[] = {
    {"ABCD", 2}, {"SBCD", 3}, {"NBCD", 2}, {"MOVEP", 4}, {"MOVEM", 5},
    {"ROXL ROXR", 2}, {"TAS", 1}, {"CHK", 1}, {"TRAP", 1}, {"DIVS DIVU", 4},
};

static int passed(int first, int count) {
    for (int i = first; i < first + count; ++i)
        if (block.results[i] != selftest_expected[i]) return 0;
    return 1;
}

static void line(int x, int y, const char* name, int ok) {
    sl_absolute(x, y, ok ? TILE_LAMP_ON : TILE_LAMP_OFF, BANK_LAMP, 0);
    sl_text(x + 12, y, name, ok ? BANK_TEXT : BANK_GOLD);
}

static void show_running(void) {
    sl_begin();
    big_text(56, 4, "SELF TEST", BANK_GOLD);
    big_text(64, 80, "RUNNING", BANK_PASS);
    sl_end();
}

static void show_results(void) {
    const int all = block.passed == SELFTEST_RESULTS;
    sl_begin();
    big_text(56, 4, "SELF TEST", BANK_GOLD);
    big_text(96, 26, all ? "PASS" : "FAIL", all ? BANK_PASS : BANK_FAIL);
    sl_text(40, 48, "RESULTS", BANK_GOLD);
    sl_number(104, 48, block.count, 2, BANK_TEXT);
    sl_text(136, 48, "PASSED", BANK_GOLD);
    sl_number(192, 48, block.passed, 2, BANK_TEXT);
    for (int i = 0; i < WORKLOAD_RESULTS; ++i) line(8, 64 + 12 * i, workload_names[i], passed(i, 1));
    int first = WORKLOAD_RESULTS;
    for (unsigned g = 0; g < sizeof asm_groups / sizeof asm_groups[0]; ++g) {
        line(136, 64 + 12 * (int)g, asm_groups[g].name, passed(first, asm_groups[g].results));
        first += asm_groups[g].results;
    }
    sl_end();
}

int main(void) {
    start_frame_interrupts();
    block.magic = SELFTEST_MAGIC;
    set_colours();
    show_running();

    /* Read as volatile: a host may have patched the ROM (the linker puts the
       block at SELFTEST_PARAMS_ADDRESS). */
    const uint32_t iterations = ((const volatile struct selftest_params*)&params)->iterations;
    uint32_t results[SELFTEST_RESULTS];
    for (uint32_t i = 0; i < iterations; ++i) {
        run_workloads(results);
        block.iterations = i + 1;
    }
    if (iterations == 0) run_workloads(results);
    run_asm_checks(results + WORKLOAD_RESULTS);

    uint32_t good = 0;
    for (int i = 0; i < SELFTEST_RESULTS; ++i) {
        block.results[i] = results[i];
        good += results[i] == selftest_expected[i];
    }
    block.count = SELFTEST_RESULTS;
    block.passed = good;
    show_results();
    block.done = 1;
    for (;;) wait_interrupt();
}
