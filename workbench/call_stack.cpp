#include "call_stack.h"

namespace workbench {

void CallStack::reset(uint32_t function, uint64_t now, Listener* listener) {
    fFrames.clear();
    CallFrame bottom;
    bottom.function = function;
    bottom.sp = UINT32_MAX;
    bottom.entered = now;
    fFrames.push_back(bottom);
    if (listener) listener->entered(fFrames.back());
}

void CallStack::pop(Listener* listener) {
    const CallFrame frame = fFrames.back();
    fFrames.pop_back();
    if (listener) listener->left(frame);
}

void CallStack::popWhile(bool (*gone)(const CallFrame&, uint32_t), uint32_t sp, Listener* listener) {
    while (fFrames.size() > 1 && gone(fFrames.back(), sp)) pop(listener);
}

void CallStack::push(CallFrame frame, uint64_t now, Listener* listener) {
    frame.entered = now;
    fFrames.push_back(frame);
    if (listener) listener->entered(fFrames.back());
}

void CallStack::unwind(Listener* listener) {
    while (!fFrames.empty()) pop(listener);
}

void CallStack::apply(const S68000Flow& flow, uint64_t now, Listener* listener) {
    if (fFrames.empty()) reset(flow.from, now, listener);
    // A push at or above a frame's return slot overwrote it; a return that
    // leaves the stack pointer above it left that frame.
    const auto overwritten = [](const CallFrame& f, uint32_t sp) { return f.sp <= sp; };
    const auto passed = [](const CallFrame& f, uint32_t sp) { return f.sp < sp; };
    CallFrame frame;
    frame.function = flow.to;
    frame.site = flow.from;
    frame.sp = flow.sp;
    frame.entered = now;
    switch (flow.kind) {
        case S68000FlowKind::Call:
        case S68000FlowKind::Exception:
            popWhile(overwritten, flow.sp, listener);
            if (flow.kind == S68000FlowKind::Exception) {
                frame.vector = flow.vector;
                frame.level = flow.level;
            }
            if (fFrames.size() >= kDeepest) break;  // its time stays with the deepest frame kept
            fFrames.push_back(frame);
            if (listener) listener->entered(fFrames.back());
            break;
        case S68000FlowKind::Return:
            popWhile(passed, flow.sp, listener);
            break;
        case S68000FlowKind::ExceptionReturn: {
            // Back from the newest exception, with whatever it left open; an
            // RTE with no exception open returns like any return (the stack
            // pointer may then be the user's, which is not compared).
            size_t root = fFrames.size();
            while (root > 1 && !fFrames[root - 1].exception()) --root;
            if (root > 1) {
                while (fFrames.size() >= root) pop(listener);
            } else {
                popWhile(passed, flow.sp, listener);
            }
            break;
        }
    }
}

}  // namespace workbench
