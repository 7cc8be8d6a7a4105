// The core's flow and access hooks are one function pointer each; these hand
// every report to each listener and set a hook only while something listens,
// so that without listeners the core runs at its full speed. Emulation
// thread (or any thread while none runs).
#pragma once

#include "s68000_debug.h"

namespace workbench {

class FlowListener {
public:
    virtual ~FlowListener() = default;
    virtual void flow(const S68000Flow& flow) = 0;
};

class AccessListener {
public:
    virtual ~AccessListener() = default;
    virtual void access(const S68000Access& access) = 0;
};

// Adding one already listening, or removing one that is not, does nothing.
void listenToFlow(FlowListener& listener);
void stopListeningToFlow(FlowListener& listener);
void listenToAccesses(AccessListener& listener);
void stopListeningToAccesses(AccessListener& listener);

}  // namespace workbench
