#include "expected.h"

void selftest_host_results(uint32_t results[SELFTEST_RESULTS]) {
    run_workloads(results);
    model_asm_checks(results + WORKLOAD_RESULTS);
}
