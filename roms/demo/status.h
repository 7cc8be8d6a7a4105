/* The demo's status block at the start of work RAM, where a host (the
   end-to-end tests, a debugger user) can read how far the program got. */
#ifndef DEMO_STATUS_H
#define DEMO_STATUS_H

#include <stdint.h>

#define DEMO_STATUS_ADDRESS 0x100000
#define DEMO_STATUS_MAGIC   0x44454D4Fu /* "DEMO" */

struct demo_status {
    uint32_t magic;   /* DEMO_STATUS_MAGIC once the program runs */
    uint32_t level4;  /* interrupts taken through vector 28 */
    uint32_t level3;  /* vector 27 */
    uint32_t level2;  /* vector 26 */
    uint32_t frame;   /* frames begun; its low word also goes to the watchdog */
    uint32_t drawn;   /* frames whose sprite list is complete */
    uint32_t service; /* 1 in service mode */
};

#endif
