// The code/data log of the program ROM: for every word, whether the 68000
// executed it as an opcode, as an instruction's operand (extension words),
// or read it as data. The listing shows a word read as data and never
// executed as such, "dc.w", instead of disassembling it. A log is kept per
// ROM set: its file names the set, and one of another set is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace workbench {

class CodeDataLog {
public:
    enum Flag : uint8_t { Opcode = 1, Operand = 2, Data = 4 };

    explicit CodeDataLog(uint32_t romBytes = 0) : fFlags((romBytes + 1) / 2) {}

    uint32_t romBytes() const { return static_cast<uint32_t>(fFlags.size() * 2); }
    void executed(uint32_t address);
    void read(uint32_t address, uint32_t bytes);
    // Marks the extension words of the opcodes logged since the last call;
    // `length` gives an instruction's length in bytes (the disassembler's).
    void markOperands(const std::function<uint32_t(uint32_t)>& length);
    // The flags of the word holding `address` (0 outside the ROM).
    uint8_t flags(uint32_t address) const;
    // Read as data and never executed.
    bool isData(uint32_t address) const { return flags(address) == Data; }
    // Words with each flag: opcode, operand, data (counted again only after
    // a change).
    std::vector<uint32_t> counts() const;
    void clear();
    // Counts every change of a word's flags, for listings made from them.
    uint64_t changes() const { return fChanges; }

    // The file: "BVCDL1", the ROM set's hash (8 bytes), the word count (4),
    // then one byte of flags per word; numbers little-endian.
    std::string file(uint64_t romSetHash) const;
    // Merges a file's flags into the log; the reason when it is refused.
    std::optional<std::string> load(const std::string& file, uint64_t romSetHash);

private:
    std::vector<uint8_t> fFlags;
    std::vector<uint32_t> fNewOpcodes;
    uint64_t fChanges = 0;
    mutable std::vector<uint32_t> fCounts;
    mutable uint64_t fCounted = ~uint64_t{0};  // fChanges when fCounts was made
};

}  // namespace workbench
