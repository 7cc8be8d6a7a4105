// The packet layer's first half: the client's packets read (a Packet each)
// (reading checks every argument; nothing is done here), and what the server
// answers by itself, without the board: the protocol's features, the target
// description, threads, and anything unknown or malformed. The commands that
// need the board are in target_commands.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gdbstub {

enum class PacketKind {
    Unknown,    // anything not below: answered with an empty packet
    Malformed,  // a known command whose arguments cannot be read
    // Answered by the server itself.
    Supported,        // qSupported
    StartNoAckMode,   // QStartNoAckMode
    Attached,         // qAttached
    ResumeActions,    // vCont?
    ReadFeatures,     // qXfer:features:read:ANNEX:OFFSET,LENGTH
    SelectThread,     // H
    // Answered on the emulation thread, which alone touches the board.
    HaltReason,      // ?
    ReadRegisters,   // g
    WriteRegisters,  // G
    ReadRegister,    // p N
    WriteRegister,   // P N=V
    ReadMemory,      // m ADDR,LEN
    WriteMemory,     // M ADDR,LEN:BYTES
    InsertPoint,     // Z TYPE,ADDR,KIND
    RemovePoint,     // z TYPE,ADDR,KIND
    Continue,        // c [ADDR], C SIG[;ADDR], vCont;c, vCont;C
    Step,            // s [ADDR], S SIG[;ADDR], vCont;s, vCont;S
    ReverseStep,     // bs: back one instruction
    ReverseContinue, // bc: back to the last breakpoint or watchpoint hit
    Detach,          // D
    Kill,            // k
    Monitor,         // qRcmd,HEX: gdb's `monitor` command line
};

struct Packet {
    PacketKind kind = PacketKind::Unknown;
    uint32_t address = 0;  // m, M, Z, z; c and s with has_address; qXfer offset
    uint32_t length = 0;   // m, M; the kind (length) of Z and z; qXfer length
    unsigned number = 0;   // register of p and P; type of Z and z
    uint32_t value = 0;    // P
    bool has_address = false;
    std::vector<uint8_t> data;  // M; G, four bytes a register, high first
    std::string annex;          // qXfer; the line of qRcmd
};

// Registers in the client's order: d0-d7, a0-a7, sr, pc.
constexpr unsigned kRegisterCount = 18;
// The most bytes one m or M moves (a reply holds two digits a byte).
constexpr uint32_t kMaxMemoryBytes = 2000;

Packet parse_packet(std::string_view payload);

// Whether the emulation thread answers it (else the server does).
bool for_the_target(PacketKind kind);
// Whether it sets the target running (its answer comes when it stops).
bool resumes(PacketKind kind);

// The reply to a command that for_the_target() does not claim.
std::string server_reply(const Packet& command);

// The target description: a 68000, registers d0-d7, a0-a7, sr (as "ps",
// 32 bits) and pc, no floating point.
extern const char* const kTargetXml;

}  // namespace gdbstub
