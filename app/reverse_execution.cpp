#include "reverse_execution.h"

#include "gdb_stub.h"
#include "reverse_search.h"

namespace {

const uint16_t* runBackwards(EmulationControl& control, bool toLastHit) {
    Machine& machine = control.machine;
    const FrameInput current{machine.lastFrameKeys(), machine.speed()};  // of the frame under way
    const ReverseLanding landing =
        reverseSearch(machine, control.history, current, toLastHit ? ReverseGoal::Hit : ReverseGoal::Step);
    gdb_stub_stop_here(landing.found ? (toLastHit ? gdb_stub_hit_reply(landing.hit) : "S05") : kGdbHistoryBegins);
    const uint16_t* picture = machine.finishFrame(landing.point);
    control.resumeChosenSpeed();
    if (!pastRewritten) control.history.frameRan(machine, landing.input);
    return picture;
}

}  // namespace

void requestReverse(bool toLastHit) {
    if (reverseAllowed && !pastRewritten) throw ReverseRequest{toLastHit};
}


const uint16_t* goBack(EmulationControl& control, ReverseRequest request) {
    for (;;) {
        try {
            return runBackwards(control, request.toLastHit);
        } catch (const ReverseRequest& again) {
            request = again;
        }
    }
}
