#include "access_log.h"

#include <algorithm>
#include <iterator>

#include "cpu_control.h"
#include "memory_map.h"

namespace workbench {

namespace {

struct Logged {
    AddressRange range;
    const char* port;  // its name as a port, null for memory
};

// Every range of the map; the ports among them by name.
constexpr Logged kLogged[] = {
    {address_map::kProgramRom, nullptr},
    {address_map::kWorkRam, nullptr},
    {address_map::kWatchdog, "watchdog"},
    {address_map::kSound, "sound"},
    {address_map::kInterruptEnable, "interrupt enable"},
    {address_map::kInputPorts, "input ports"},
    {address_map::kPaletteRam, "palette"},
    {address_map::kSpriteRam, "sprite list"},
    {address_map::kIrq4Acknowledge, "level 4 acknowledge"},
    {address_map::kIrq3Acknowledge, "level 3 acknowledge"},
    {address_map::kIrq2Acknowledge, "level 2 acknowledge"},
};

constexpr size_t kLoggedBytes = [] {
    size_t n = 0;
    for (const Logged& l : kLogged) n += l.range.size();
    return n;
}();

// The place of `address` in the flat ages, or -1 outside every range.
long offsetOf(uint32_t address) {
    size_t base = 0;
    for (const Logged& l : kLogged) {
        if (l.range.holds(address)) return static_cast<long>(base + (address - l.range.low));
        base += l.range.size();
    }
    return -1;
}

size_t kindIndex(AccessKind kind) { return static_cast<size_t>(kind); }

}  // namespace

uint8_t AccessAges::at(uint32_t address, AccessKind kind) const {
    const long offset = offsetOf(address);
    const std::vector<uint8_t>& a = ages[kindIndex(kind)];
    return offset >= 0 && static_cast<size_t>(offset) < a.size() ? a[static_cast<size_t>(offset)] : 0;
}

const char* portName(uint32_t address) {
    for (const Logged& l : kLogged)
        if (l.range.holds(address)) return l.port;
    return nullptr;
}

AccessLog::AccessLog(Machine& machine, uint32_t romBytes)
    : fMachine(machine), fCodeData(romBytes), fCurrent(std::make_shared<FrameEvents>()) {
    for (auto& a : fAges.ages) a.assign(kLoggedBytes, 0);
    fFrameStart = fCyclesAtBoundary = fMachine.cycles();
    listenToAccesses(*this);
    listenToFlow(*this);
}

AccessLog::~AccessLog() {
    stopListeningToAccesses(*this);
    stopListeningToFlow(*this);
}

void AccessLog::frameBoundary(uint64_t frame) {
    const uint32_t now = fMachine.cycles();
    fCodeData.markOperands([](uint32_t address) { return disassembleAt(address).length; });
    if (now == fCyclesAtBoundary) return;  // stopped: the highlights and the frame under way stay
    fCyclesAtBoundary = now;
    for (auto& a : fAges.ages)
        for (uint8_t& age : a) age = static_cast<uint8_t>(age << 1);
    fPublished.reset();
    fCurrent->length = now - fFrameStart;
    fFrames.push_back(std::move(fCurrent));
    if (fFrames.size() > kFramesKept) fFrames.pop_front();
    fCurrent = std::make_shared<FrameEvents>();
    fCurrent->frame = frame;
    fFrameStart = now;
}

std::shared_ptr<const AccessAges> AccessLog::ages() {
    if (fPublished) return fPublished;
    std::unique_ptr<AccessAges> copy;
    {
        std::lock_guard held(fPool->lock);
        if (!fPool->free.empty()) {
            copy = std::move(fPool->free.back());
            fPool->free.pop_back();
        }
    }
    if (copy) copy->ages = fAges.ages;  // the same sizes: no allocation
    else copy = std::make_unique<AccessAges>(fAges);
    const std::weak_ptr<Pool> pool = fPool;
    fPublished = std::shared_ptr<const AccessAges>(copy.release(), [pool](const AccessAges* ages) {
        std::unique_ptr<AccessAges> owned(const_cast<AccessAges*>(ages));
        if (const auto p = pool.lock()) {
            std::lock_guard held(p->lock);
            if (p->free.size() < 4) p->free.push_back(std::move(owned));
        }
    });
    return fPublished;
}

void AccessLog::sliceStarts() {
    add({EventKind::Slice, fMachine.cycles() - fFrameStart, 0, 0, fLastPc, 0, 0, 0});
}

void AccessLog::add(const FrameEvent& event) {
    if (fCurrent->events.size() < kEventsPerFrame) fCurrent->events.push_back(event);
}

void AccessLog::access(const S68000Access& a) {
    const AccessKind kind = a.kind == S68000AccessKind::Execute ? AccessKind::Execute
                            : a.kind == S68000AccessKind::Read  ? AccessKind::Read
                                                                : AccessKind::Write;
    if (fPublished) fPublished.reset();
    std::vector<uint8_t>& ages = fAges.ages[kindIndex(kind)];
    for (uint32_t i = 0; i < a.bytes; ++i)
        if (const long offset = offsetOf(a.address + i); offset >= 0) ages[static_cast<size_t>(offset)] |= 1;
    if (kind == AccessKind::Execute) {
        fLastPc = a.address;
        fCodeData.executed(a.address);
        return;
    }
    if (kind == AccessKind::Read) fCodeData.read(a.address, a.bytes);
    const char* port = portName(a.address);
    if (!port) return;
    const bool sprites = address_map::kSpriteRam.holds(a.address);
    if (sprites && kind == AccessKind::Read) return;
    add({sprites                    ? EventKind::SpriteWrite
         : kind == AccessKind::Read ? EventKind::PortRead
                                    : EventKind::PortWrite,
         a.cycles - fFrameStart, a.address, a.value, a.pc, a.bytes, 0, 0});
}

void AccessLog::flow(const S68000Flow& f) {
    if (f.kind != S68000FlowKind::Exception || f.level == 0) return;
    add({EventKind::Interrupt, f.cycles - fFrameStart, f.to, 0, f.from, 0, f.level, f.vector});
}

}  // namespace workbench
