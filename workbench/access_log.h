// What the 68000 did while the workbench watched, heard through the core's
// access and flow hooks: for every byte of the board's memories and ports,
// in which of the last frames it was read, written or executed (the Memory
// panel's highlights, which fade over eight frames); the code/data log of
// the program ROM; and each of the last frames' events at the board's ports
// and its interrupts (the Events panel). Emulation thread; what it publishes
// is immutable and read by any thread.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "code_data_log.h"
#include "core_hooks.h"
#include "machine.h"

namespace workbench {

enum class AccessKind : uint8_t { Read, Write, Execute };

// For each kind, one byte per logged byte of memory: bit n set when it was
// accessed in the n-th frame back that ran (bit 0: the frame under way, or
// since the last stop).
struct AccessAges {
    std::array<std::vector<uint8_t>, 3> ages;
    uint8_t at(uint32_t address, AccessKind kind) const;
};

// The board's port (or sprite RAM) at an address, named for the user; null
// for memory that is not one.
const char* portName(uint32_t address);

enum class EventKind : uint8_t { Slice, Interrupt, PortRead, PortWrite, SpriteWrite };

struct FrameEvent {
    EventKind kind = EventKind::Slice;
    uint32_t cycle = 0;    // from the frame's start
    uint32_t address = 0;  // the port's; Interrupt: the handler's
    uint32_t value = 0;    // the byte or word moved
    uint32_t pc = 0;       // the instruction that made it (Interrupt: the one interrupted)
    uint8_t bytes = 0, level = 0, vector = 0;
    bool operator==(const FrameEvent&) const = default;
};

struct FrameEvents {
    uint64_t frame = 0;    // the workbench's frame count when it ran
    uint32_t length = 0;   // its cycles
    std::vector<FrameEvent> events;  // in the order they happened
};

class AccessLog : private AccessListener, private FlowListener {
public:
    static constexpr size_t kFramesKept = 60;
    static constexpr size_t kEventsPerFrame = 20000;  // beyond it a frame's events are dropped

    // Listens from construction to destruction.
    AccessLog(Machine& machine, uint32_t romBytes);
    ~AccessLog() override;

    // At every frame boundary: the frame that ends joins the frames kept,
    // and when the 68000 ran since the last one the highlights age a frame.
    void frameBoundary(uint64_t frame);
    // The run control starts a slice.
    void sliceStarts();

    CodeDataLog& codeData() { return fCodeData; }
    const CodeDataLog& codeData() const { return fCodeData; }
    // For a snapshot: a copy made again only after an access or a frame's
    // aging.
    std::shared_ptr<const AccessAges> ages();
    const std::deque<std::shared_ptr<const FrameEvents>>& frames() const { return fFrames; }

private:
    void access(const S68000Access& access) override;
    void flow(const S68000Flow& flow) override;
    void add(const FrameEvent& event);

    Machine& fMachine;
    AccessAges fAges;
    std::shared_ptr<const AccessAges> fPublished;  // null after a change
    // Copies no snapshot holds any more, for the next copy (no allocation and
    // no fresh pages each frame); a copy's last holder, on any thread, gives
    // it back.
    struct Pool {
        std::mutex lock;
        std::vector<std::unique_ptr<AccessAges>> free;
    };
    std::shared_ptr<Pool> fPool = std::make_shared<Pool>();
    CodeDataLog fCodeData;
    std::deque<std::shared_ptr<const FrameEvents>> fFrames;
    std::shared_ptr<FrameEvents> fCurrent;
    uint32_t fFrameStart = 0, fCyclesAtBoundary = 0, fLastPc = 0;
};

}  // namespace workbench
