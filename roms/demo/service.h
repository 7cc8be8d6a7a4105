/* The input test screen shown in service mode (0x500001 reads 0x00). */
#ifndef SERVICE_H
#define SERVICE_H

#include "status.h"

void service_frame(const volatile struct demo_status* status);

#endif
