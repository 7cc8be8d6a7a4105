/* The call-heavy workload: a bytecode interpreter running recursive and
   looping bytecode over a hash table, then a merge sort of the table's
   nodes. The same source is compiled for the 68000 (into the ROM) and for
   the host (which computes the expected result), so it uses fixed-width
   types and defined behaviour only. */
#ifndef CALLS_WORKLOAD_H
#define CALLS_WORKLOAD_H

#include <stdint.h>

/* What one run did, for checking the workload itself. */
struct calls_stats {
    uint32_t fib;       /* the bytecode fib(12) */
    uint32_t calls;     /* bytecode calls made */
    uint32_t faults;    /* the interpreter's faults: 0 in a good run */
    uint32_t nodes;     /* nodes in the sorted list */
    uint32_t in_order;  /* 1 when the list is sorted by value */
};

/* Runs the workload once and returns its result; every run gives the same.
   `stats` may be null. */
uint32_t calls_workload(struct calls_stats* stats);

#endif
