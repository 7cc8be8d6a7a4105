// Inside the kit: the alerts waiting for an answer, shown by the event loop.
#pragma once

#include <string>
#include <vector>

#include "alert.h"

namespace kit {

struct OpenAlert {
    uint64_t id;
    std::string title, text;
    std::vector<std::string> buttons;
    alert_type type;
};

// A copy of the alerts waiting for an answer, oldest first.
std::vector<OpenAlert> open_alerts();
// Gives an alert its answer; unknown ids and bad indexes are ignored.
void answer_alert(uint64_t id, int32 button);
// Drops the alerts nobody waits for (the event loop is ending).
void drop_detached_alerts();

}  // namespace kit
