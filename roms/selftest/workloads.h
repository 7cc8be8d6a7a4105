/* The self-test's C workloads. The same source is compiled for the 68000
   (into the ROM) and for the host (which computes the expected results), so
   everything here uses fixed-width types and defined behaviour only. */
#ifndef WORKLOADS_H
#define WORKLOADS_H

#include <stdint.h>

#define WORKLOAD_RESULTS 12

extern const char* const workload_names[WORKLOAD_RESULTS];

/* Runs every workload once and stores one result each. */
void run_workloads(uint32_t results[WORKLOAD_RESULTS]);

/* CRC-32 (the common reflected polynomial 0xEDB88320) of `count` bytes,
   continuing from `crc` (start with 0). */
uint32_t crc32_update(uint32_t crc, const uint8_t* bytes, uint32_t count);

#endif
