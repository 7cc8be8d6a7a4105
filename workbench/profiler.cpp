#include "profiler.h"

namespace workbench {

void Profiler::start(uint32_t function, uint32_t cycles) {
    fProfile = {};
    fLast = fBoundary = cycles;
    fNow = 0;
    fExcluded = 0;
    fRunning = true;
    fStack.reset(function, fNow, this);
}

void Profiler::restart(uint32_t cycles) {
    if (!fRunning) return;
    const std::vector<CallFrame> frames = fStack.frames();
    start(frames.empty() ? 0 : frames.front().function, cycles);
    for (size_t i = 1; i < frames.size(); ++i) fStack.push(frames[i], fNow, this);
}

void Profiler::frame(uint32_t function, uint32_t cycles) {
    if (!fRunning) return;
    if (cycles != fBoundary) ++fProfile.frames;  // the frame before ran (not held stopped)
    fBoundary = cycles;
    if (cycles - fLast <= kLargestStep) {
        advance(cycles);
        return;
    }
    fStack.unwind(this);
    fLast = cycles;
    fStack.reset(function, fNow, this);
}

void Profiler::advance(uint32_t cycles) {
    const uint32_t delta = cycles - fLast;  // the odometer wraps after 2^32 cycles
    fLast = cycles;
    fNow += delta;
    fProfile.cycles += delta;
    const CallFrame& top = fStack.frames().back();
    fProfile.functions[top.function].self += delta;
    fProfile.tree[top.node].self += delta;
}

void Profiler::flow(const S68000Flow& flow) {
    if (!fRunning) return;
    advance(flow.cycles);
    fStack.apply(flow, fNow, this);
}

int Profiler::child(int parent, uint32_t function, int vector) {
    if (parent >= 0) {
        for (int c : fProfile.tree[parent].children)
            if (fProfile.tree[c].function == function) return c;
    } else {
        for (size_t i = 0; i < fProfile.tree.size(); ++i) {
            const TreeNode& n = fProfile.tree[i];
            if (n.parent < 0 && n.function == function && n.vector == vector) return static_cast<int>(i);
        }
    }
    TreeNode node;
    node.function = function;
    node.vector = vector;
    node.parent = parent;
    fProfile.tree.push_back(node);
    const int index = static_cast<int>(fProfile.tree.size() - 1);
    if (parent >= 0) fProfile.tree[parent].children.push_back(index);
    return index;
}

void Profiler::entered(CallFrame& frame) {
    const auto& frames = fStack.frames();
    const bool root = frames.size() == 1 || frame.exception();
    frame.excludedAtEntry = fExcluded;
    frame.node = child(root ? -1 : frames[frames.size() - 2].node, frame.function, frame.vector);
    frame.outermost = true;
    if (!root) {
        // Below it, down to its root, is the same function running already?
        for (size_t i = frames.size() - 1; i-- > 0;) {
            if (frames[i].function == frame.function) frame.outermost = false;
            if (frames[i].exception() || !frame.outermost) break;
        }
        ++fProfile.calls[{frames[frames.size() - 2].function, frame.site, frame.function}].calls;
    }
    ++fProfile.functions[frame.function].calls;
    ++fProfile.tree[frame.node].calls;
}

void Profiler::left(const CallFrame& frame) {
    // Cycles since entry, less those spent meanwhile in exceptions (their
    // own roots).
    const uint64_t excluded = fExcluded - frame.excludedAtEntry;
    const uint64_t spent = fNow - frame.entered - excluded;
    fProfile.tree[frame.node].inclusive += spent;
    if (frame.outermost) fProfile.functions[frame.function].inclusive += spent;
    if (frame.exception()) {
        fExcluded = frame.excludedAtEntry + (fNow - frame.entered);
    } else if (!fStack.frames().empty() && fProfile.tree[frame.node].parent >= 0) {
        fProfile.calls[{fStack.frames().back().function, frame.site, frame.function}].inclusive += spent;
    }
}

void Profiler::stop(uint32_t cycles) {
    if (!fRunning) return;
    fProfile = profile(cycles);
    fRunning = false;
}

Profile Profiler::profile(uint32_t cycles) const {
    if (!fRunning) return fProfile;
    Profiler end = *this;
    if (cycles != fBoundary) ++end.fProfile.frames;  // the frame under way
    end.advance(cycles);
    end.fStack.unwind(&end);
    return end.fProfile;
}

}  // namespace workbench
