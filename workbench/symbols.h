// Names for addresses: from a 68000 ELF file's symbol tables (read with
// libelf) or from a text map of "address name" lines (hexadecimal address,
// with or without 0x or $; blank lines and lines starting with # are skipped,
// and so is a UTF-8 byte-order mark). Several names may share an address:
// each is found by name, and the first one names the address, an ELF
// file's functions and data objects before its other labels.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "save_state.h"

namespace workbench {

class Symbols {
public:
    // The largest symbol file read.
    static constexpr size_t kLargestFile = 64u << 20;

    // Reads symbols from a file's bytes. On failure `error` says what is
    // wrong (one line) and the symbols are left as they were.
    bool read(std::span<const uint8_t> bytes, std::string& error);

    bool empty() const { return fByName.empty(); }
    // The number of names.
    size_t size() const { return fByName.size(); }
    // The name at exactly `address`, or none.
    const std::string* nameAt(uint32_t address) const;
    // An address by name.
    std::optional<uint32_t> find(const std::string& name) const;
    // The name for `address`: inside a data object of the ELF file, the
    // object and the offset in bytes ("status+4"); else the nearest name at
    // or below it within `reach` bytes ("main+0x9A"); empty when none.
    std::string describe(uint32_t address, uint32_t reach = 0x1000) const;
    // The address of the nearest name at or below `address` within `reach`
    // bytes: the function that holds it.
    std::optional<uint32_t> below(uint32_t address, uint32_t reach = 0x1000) const;

    // The ELF file's sized symbols: functions and data objects.
    struct Sized {
        uint32_t address = 0, size = 0;
        bool data = false;
        std::string name;
    };
    // The data object `address` falls in, if any.
    std::optional<Sized> objectAt(uint32_t address) const;

private:
    std::map<uint32_t, std::string> fByAddress;
    std::map<std::string, uint32_t> fByName;
    std::map<uint32_t, Sized> fSized;  // by address
};

// The disassembler's text of an instruction with its absolute and
// PC-relative addresses named: "jsr ($000BE6)" as "jsr scene_frame",
// "move.l ($100004),d0" as "move.l status+4,d0", "lea $001968(pc),a3" as
// "lea service_frame(pc),a3". Addresses without a name stay as they are.
std::string nameOperands(const std::string& text, const Symbols& symbols);

// An address typed by the user: hexadecimal (0x or $ allowed), a symbol's
// name or, given the registers, a register's name (d0-d7, a0-a7, sp, pc;
// any case). On failure, `error` says why.
std::optional<uint32_t> parseAddress(const std::string& text, const Symbols* symbols, std::string& error,
                                     const BoardState* registers = nullptr);

}  // namespace workbench
