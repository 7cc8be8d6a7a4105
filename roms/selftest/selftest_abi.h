/* What the self-test program shares with the host: where it leaves its
   results in work RAM, and the parameter block in ROM that sets how many
   times the workloads run (for benchmarks). */
#ifndef SELFTEST_ABI_H
#define SELFTEST_ABI_H

#include <stdint.h>

#define SELFTEST_BLOCK_ADDRESS 0x100000 /* struct selftest_block */
#define SELFTEST_MAGIC         0x53544553u /* "STES" */
#define SELFTEST_MAX_RESULTS   48

struct selftest_block {
    uint32_t magic;      /* SELFTEST_MAGIC once the program runs */
    uint32_t done;       /* 1 when every result is in */
    uint32_t count;      /* results written */
    uint32_t passed;     /* results equal to the expected ones built into the ROM */
    uint32_t iterations; /* workload iterations completed */
    uint32_t results[SELFTEST_MAX_RESULTS];
};

/* In ROM right after the exception vectors. A host may patch `iterations`
   (a big-endian long at 0x000104) before the reset to make the CPU-bound
   part run longer; every iteration computes the same results. */
#define SELFTEST_PARAMS_ADDRESS 0x000100
#define SELFTEST_PARAMS_MAGIC   0x49544552u /* "ITER" */

struct selftest_params {
    uint32_t magic;
    uint32_t iterations;
};

#endif
