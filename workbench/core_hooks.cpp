#include "core_hooks.h"

#include <algorithm>
#include <vector>

namespace workbench {

namespace {

std::vector<FlowListener*> gFlow;
std::vector<AccessListener*> gAccess;

void onFlow(const S68000Flow& flow) {
    for (FlowListener* listener : gFlow) listener->flow(flow);
}

void onAccess(const S68000Access& access) {
    for (AccessListener* listener : gAccess) listener->access(access);
}

template <typename Listener>
void add(std::vector<Listener*>& list, Listener& listener) {
    if (std::find(list.begin(), list.end(), &listener) == list.end()) list.push_back(&listener);
}

}  // namespace

void listenToFlow(FlowListener& listener) {
    add(gFlow, listener);
    s68000setFlowHook(onFlow);
}

void stopListeningToFlow(FlowListener& listener) {
    std::erase(gFlow, &listener);
    if (gFlow.empty()) s68000setFlowHook(nullptr);
}

void listenToAccesses(AccessListener& listener) {
    add(gAccess, listener);
    s68000setAccessHook(onAccess);
}

void stopListeningToAccesses(AccessListener& listener) {
    std::erase(gAccess, &listener);
    if (gAccess.empty()) s68000setAccessHook(nullptr);
}

}  // namespace workbench
