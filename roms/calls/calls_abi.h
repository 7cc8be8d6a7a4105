/* What the call-heavy workload program shares with the host: where it leaves
   its result in work RAM, and the parameter block in ROM that sets how many
   times the workload runs (a host patches it for benchmarks). */
#ifndef CALLS_ABI_H
#define CALLS_ABI_H

#include <stdint.h>

#define CALLS_BLOCK_ADDRESS 0x100000 /* struct calls_block */
#define CALLS_MAGIC         0x43414C4Cu /* "CALL" */

struct calls_block {
    uint32_t magic;      /* CALLS_MAGIC once the program runs */
    uint32_t done;       /* 1 when every iteration has run */
    uint32_t iterations; /* iterations completed */
    uint32_t result;     /* the workload's result of the last iteration */
};

/* In ROM right after the exception vectors; `iterations` is a big-endian
   long at 0x000104. Every iteration computes the same result. */
#define CALLS_PARAMS_ADDRESS 0x000100
#define CALLS_PARAMS_MAGIC   0x49544552u /* "ITER" */

struct calls_params {
    uint32_t magic;
    uint32_t iterations;
};

#endif
