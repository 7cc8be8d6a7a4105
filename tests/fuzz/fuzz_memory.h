// Fuzz support: 68000 memory laid out from the fuzz input, every image
// allocated to its exact size so that AddressSanitizer sees any access
// outside it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "s68000.h"

struct FuzzMemory {
    std::vector<std::unique_ptr<uint8_t[]>> images;
    std::vector<program_region> fetch;
    std::vector<data_region> data;
    uint32_t first_low = 0;

    // One to four regions, each a program region and a direct data region
    // over the same image, at fuzzed places and sizes, installed as both
    // modes' lists.
    explicit FuzzMemory(FuzzedDataProvider& in) {
        const int regions = in.ConsumeIntegralInRange(1, 4);
        for (int i = 0; i < regions; ++i) {
            const uint32_t low = in.ConsumeIntegralInRange<uint32_t>(0, 0x2000);
            const uint32_t length = in.ConsumeIntegralInRange<uint32_t>(1, 400);
            auto image = std::make_unique<uint8_t[]>(length);
            const auto fill = in.ConsumeBytes<uint8_t>(length);
            for (uint32_t b = 0; b < fill.size(); ++b) image[b] = fill[b];
            fetch.push_back(s68000_program(low, low + length - 1, image.get()));
            data.push_back(s68000_direct(low, low + length - 1, image.get()));
            if (i == 0) first_low = low;
            images.push_back(std::move(image));
        }
        fetch.push_back(s68000_program_end());
        data.push_back(s68000_data_end());
        s68000context& c = _s68000context;
        c.s_fetch = c.u_fetch = fetch.data();
        c.s_readbyte = c.u_readbyte = c.s_readword = c.u_readword = data.data();
        c.s_writebyte = c.u_writebyte = c.s_writeword = c.u_writeword = data.data();
    }
};
