/* Every result of the self-test in order: the C workloads, then the
   assembly checks. The host computes them (selftest_expected); the ROM holds
   the table it generates. */
#ifndef SELFTEST_EXPECTED_H
#define SELFTEST_EXPECTED_H

#include <stdint.h>

#include "asm_checks.h"
#include "workloads.h"

#define SELFTEST_RESULTS (WORKLOAD_RESULTS + ASM_RESULTS)

extern const uint32_t selftest_expected[SELFTEST_RESULTS];

/* The results computed on the host. */
void selftest_host_results(uint32_t results[SELFTEST_RESULTS]);

#endif
