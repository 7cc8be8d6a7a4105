#include "code_data_log.h"

#include <algorithm>

namespace workbench {

namespace {

constexpr char kMagic[] = "BVCDL1";
constexpr size_t kMagicBytes = 6, kHeaderBytes = kMagicBytes + 8 + 4;

void putLittle(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

uint64_t getLittle(const std::string& in, size_t at, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= uint64_t{static_cast<uint8_t>(in[at + i])} << (8 * i);
    return value;
}

}  // namespace

void CodeDataLog::executed(uint32_t address) {
    const uint32_t word = address / 2;
    if (word >= fFlags.size() || (fFlags[word] & Opcode)) return;
    fFlags[word] |= Opcode;
    fNewOpcodes.push_back(word * 2);
    ++fChanges;
}

void CodeDataLog::read(uint32_t address, uint32_t bytes) {
    for (uint32_t word = address / 2; word <= (address + bytes - 1) / 2 && word < fFlags.size(); ++word)
        if (!(fFlags[word] & Data)) fFlags[word] |= Data, ++fChanges;
}

void CodeDataLog::markOperands(const std::function<uint32_t(uint32_t)>& length) {
    for (uint32_t opcode : fNewOpcodes) {
        const uint32_t end = std::min<uint32_t>(opcode + length(opcode), romBytes());
        for (uint32_t at = opcode + 2; at < end; at += 2) fFlags[at / 2] |= Operand;
        ++fChanges;
    }
    fNewOpcodes.clear();
}

uint8_t CodeDataLog::flags(uint32_t address) const {
    const uint32_t word = address / 2;
    return word < fFlags.size() ? fFlags[word] : 0;
}

std::vector<uint32_t> CodeDataLog::counts() const {
    if (fCounted == fChanges) return fCounts;
    fCounts.assign(3, 0);
    for (uint8_t f : fFlags)
        for (int bit = 0; bit < 3; ++bit) fCounts[bit] += (f >> bit) & 1;
    fCounted = fChanges;
    return fCounts;
}

void CodeDataLog::clear() {
    std::fill(fFlags.begin(), fFlags.end(), 0);
    fNewOpcodes.clear();
    ++fChanges;
}

std::string CodeDataLog::file(uint64_t romSetHash) const {
    std::string out(kMagic, kMagicBytes);
    putLittle(out, romSetHash, 8);
    putLittle(out, fFlags.size(), 4);
    out.append(fFlags.begin(), fFlags.end());
    return out;
}

std::optional<std::string> CodeDataLog::load(const std::string& file, uint64_t romSetHash) {
    if (file.size() < kHeaderBytes || file.compare(0, kMagicBytes, kMagic) != 0)
        return "This is not a code/data log";
    if (getLittle(file, kMagicBytes, 8) != romSetHash) return "This code/data log is of another ROM set";
    const uint64_t words = getLittle(file, kMagicBytes + 8, 4);
    if (words != fFlags.size() || file.size() - kHeaderBytes != words) return "This code/data log is damaged";
    for (size_t i = 0; i < fFlags.size(); ++i) {
        const uint8_t f = static_cast<uint8_t>(file[kHeaderBytes + i]);
        if (f & ~(Opcode | Operand | Data)) return "This code/data log is damaged";
    }
    for (size_t i = 0; i < fFlags.size(); ++i) fFlags[i] |= static_cast<uint8_t>(file[kHeaderBytes + i]);
    ++fChanges;
    return std::nullopt;
}

}  // namespace workbench
