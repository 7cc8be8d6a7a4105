// The dispatch table: its run-length image, computed at compile time from the
// opcode classification, and its expansion by s68000init.
#include "dispatch_table.h"

#include <array>

#include "exceptions.h"
#include "handler.h"

namespace m68k {

Handler jmptbl[65536];

namespace {

// Records: handler identifier (the handler's first opcode) in bits 0-23, run
// length minus one in bits 24-31.
constexpr size_t count_runs() {
    size_t runs = 0;
    unsigned length = 0;
    uint16_t current = 0;
    for (unsigned op = 0; op < 65536; ++op) {
        uint16_t id = canonical(static_cast<uint16_t>(op));
        if (op == 0 || id != current || length == 256) {
            ++runs;
            current = id;
            length = 0;
        }
        ++length;
    }
    return runs;
}

constexpr size_t RUNS = count_runs();

constexpr std::array<uint32_t, RUNS> compress() {
    std::array<uint32_t, RUNS> image{};
    size_t i = 0;
    unsigned length = 0;
    uint16_t current = canonical(0);
    for (unsigned op = 1; op <= 65536; ++op) {
        ++length;
        uint16_t id = op < 65536 ? canonical(static_cast<uint16_t>(op)) : 0;
        if (op == 65536 || id != current || length == 256) {
            image[i++] = static_cast<uint32_t>(current) | (length - 1) << 24;
            current = id;
            length = 0;
        }
    }
    return image;
}

}  // namespace

constexpr std::array<uint32_t, RUNS> jmptblcomp_image = compress();

// The runs cover the table exactly, so the expansion ends on its last entry.
constexpr bool covers_table() {
    size_t total = 0;
    for (uint32_t record : jmptblcomp_image) total += (record >> 24) + 1;
    return total == 65536;
}
static_assert(covers_table());
const uint32_t* const jmptblcomp = jmptblcomp_image.data();
const size_t jmptblcomp_records = RUNS;

extern const LineTable line_table_0, line_table_1, line_table_2, line_table_3, line_table_4,
    line_table_5, line_table_6, line_table_7, line_table_8, line_table_9, line_table_10,
    line_table_11, line_table_12, line_table_13, line_table_14, line_table_15;

// Handlers by identifier.
static Handler handler_of[65536];

static void collect_handlers() {
    const LineTable* lines[16] = {&line_table_0,  &line_table_1,  &line_table_2,  &line_table_3,
                                  &line_table_4,  &line_table_5,  &line_table_6,  &line_table_7,
                                  &line_table_8,  &line_table_9,  &line_table_10, &line_table_11,
                                  &line_table_12, &line_table_13, &line_table_14, &line_table_15};
    for (const LineTable* t : lines)
        for (size_t i = 0; i < t->count; ++i) handler_of[t->first_opcodes[i]] = t->handlers[i];
}

Handler plain_handler(uint16_t first) { return handler_of[first]; }

}  // namespace m68k

int s68000init() {
    using namespace m68k;
    collect_handlers();
    size_t entry = 0;
    for (size_t i = 0; entry != 65536; ++i) {
        const uint32_t record = jmptblcomp[i];
        const Handler h = handler_of[record & 0xFFFFFF];
        for (unsigned n = (record >> 24) + 1; n; --n) jmptbl[entry++] = h;
    }
    if (flow_hooked()) install_flow_handlers(jmptbl, true);
    if (access_hook) update_dispatch_check();
    return 0;
}
