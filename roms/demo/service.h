/* The input test screen shown in service mode (0x500001 reads 0x00). */
#ifndef SERVICE_H
#define SERVICE_H

#include <stdint.h>

struct interrupt_counts {
    uint32_t level4, level3, level2; /* vectors 28, 27 and 26 */
};

void service_frame(uint32_t frame, const volatile struct interrupt_counts* counts);

#endif
