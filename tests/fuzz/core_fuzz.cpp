// Fuzzes the 68000 core: the input lays out program, direct data and handler
// regions (overlapping, oddly placed and sized), their contents, the
// registers, the reset handler and a plan of slices with interrupts between
// them. Every image is allocated to its exact size, so AddressSanitizer sees
// any access outside one; handlers check the addresses they receive; each
// slice must end and count a plausible number of cycles.
#include <memory>

#include "fuzz_check.h"
#include "s68000.h"
#include "s68000_debug.h"

namespace {

struct Image {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t low = 0, high = 0;
};

// What the handlers and the reset handler do, chosen by the input.
uint8_t handler_plan;

void check_range(uint32_t address, const data_region* region) {
    if (address > 0xFFFFFF) fail("handler got an address with its top bits set");
    if (!region || address < region->low_address || address > region->high_address)
        fail("handler called outside its region");
}

void act_from_handler() {
    switch (handler_plan & 7) {
        case 1: s68000releaseTimeslice(); break;
        case 2: s68000interrupt(1 + (handler_plan >> 5), -1); break;
        case 3: (void)s68000readPC(); break;
        case 4: (void)s68000readOdometer(); break;
        default: break;
    }
}

uint32_t read_handler(uint32_t address, data_region* region) {
    check_range(address, region);
    act_from_handler();
    return address * 0x9E3779B1u;
}

void write_handler(uint32_t address, uint32_t data, data_region* region) {
    check_range(address, region);
    if (data > 0xFFFF) fail("handler got more than a word");
    act_from_handler();
}

void reset_handler() { act_from_handler(); }

}  // namespace

namespace m68k {
extern uint64_t instructions_dispatched;  // counted by fuzz builds of the core
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    s68000init();
    std::atexit([] {
        std::fprintf(stderr, "core fuzz: %llu emulated instructions\n",
                     static_cast<unsigned long long>(m68k::instructions_dispatched));
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Image> images;
    std::vector<program_region> fetch_s, fetch_u;
    std::vector<data_region> lists[4];  // readbyte, readword, writebyte, writeword

    const int regions = in.ConsumeIntegralInRange(1, 6);
    for (int i = 0; i < regions; ++i) {
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        uint32_t low = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 0x3000)
                                        : in.ConsumeIntegralInRange<uint32_t>(0, 0xFFFFFF);
        const uint32_t length = in.ConsumeIntegralInRange<uint32_t>(1, 600);
        const uint32_t high = low + length - 1 > 0xFFFFFF ? 0xFFFFFF : low + length - 1;
        images.push_back({std::make_unique<uint8_t[]>(high - low + 1), low, high});
        uint8_t* image = images.back().bytes.get();
        const auto fill = in.ConsumeBytes<uint8_t>(high - low + 1);
        for (uint32_t b = 0; b <= high - low; ++b) image[b] = b < fill.size() ? fill[b] : 0x4E;
        if (kind & 1) fetch_s.push_back(s68000_program(low, high, image));
        if (kind & 2) fetch_u.push_back(s68000_program(low, high, image));
        for (int l = 0; l < 4; ++l)  // bit 2 the byte lists, bit 3 the word lists; bit 6: handlers
            if (kind & (4 << (l % 2)))
                lists[l].push_back(!(kind & 0x40) ? s68000_direct(low, high, image)
                                   : l < 2        ? s68000_reader(low, high, read_handler)
                                                  : s68000_writer(low, high, write_handler));
    }
    fetch_s.push_back(s68000_program_end());
    fetch_u.push_back(s68000_program_end());
    for (auto& l : lists) l.push_back(s68000_data_end());

    s68000context& c = _s68000context;
    c.s_fetch = fetch_s.data();
    c.u_fetch = in.ConsumeBool() ? fetch_u.data() : fetch_s.data();
    c.s_readbyte = c.u_readbyte = lists[0].data();
    c.s_readword = c.u_readword = lists[1].data();
    c.s_writebyte = c.u_writebyte = lists[2].data();
    c.s_writeword = c.u_writeword = lists[3].data();
    c.resethandler = in.ConsumeBool() ? reset_handler : nullptr;
    handler_plan = in.ConsumeIntegral<uint8_t>();

    s68000reset();
    for (auto& d : c.dreg) d = in.ConsumeIntegral<uint32_t>();
    for (int a = 0; a < 7; ++a) c.areg[a] = in.ConsumeIntegral<uint32_t>();
    if (in.ConsumeBool()) {
        // Start somewhere chosen rather than at the reset vector.
        const Image& img = images[in.ConsumeIntegralInRange<size_t>(0, images.size() - 1)];
        c.pc = img.low + in.ConsumeIntegralInRange<uint32_t>(0, img.high - img.low);
        c.interrupts[0] = 0;
        s68000setSR(in.ConsumeIntegral<uint16_t>() & 0xA71F);  // swaps the stacks and lists as the mode changes
    }

    const int slices = in.ConsumeIntegralInRange(1, 12);
    for (int s = 0; s < slices && in.remaining_bytes(); ++s) {
        const uint8_t between = in.ConsumeIntegral<uint8_t>();
        if (between & 1) s68000interrupt(in.ConsumeIntegralInRange(0, 8), in.ConsumeIntegralInRange(-3, 256));
        if (between & 2) s68000flushInterrupts();
        if (between & 4) handler_plan = in.ConsumeIntegral<uint8_t>();
        const int32_t budget = in.ConsumeIntegralInRange<int32_t>(-10, 4000);
        const uint32_t before = s68000readOdometer();
        const uint32_t code = s68000exec(budget);
        const uint32_t used = s68000readOdometer() - before;
        const uint32_t allowed = static_cast<uint32_t>(budget < 0 ? 0 : budget);
        if (code == S68000_EXIT_FAULTED && used != 0) fail("a faulted processor counted cycles");
        // The last instruction may end past the budget: at most one
        // instruction, a trace and an interrupt (a few hundred cycles).
        if (used > allowed + 400) fail("a slice counted far more cycles than its budget");
        if (code != S68000_EXIT_OK && code != S68000_EXIT_NO_REGION && code != S68000_EXIT_FAULTED &&
            code > 0xFFFFFF)
            fail("unknown exit code");
    }
    c.resethandler = nullptr;
    return 0;
}
