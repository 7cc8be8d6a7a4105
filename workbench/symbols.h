// Names for addresses: from a 68000 ELF file's symbol tables (read with
// libelf) or from a text map of "address name" lines (hexadecimal address,
// with or without 0x or $; blank lines and lines starting with # are skipped,
// and so is a UTF-8 byte-order mark). Several names may share an address:
// each is found by name, and the first one names the address.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

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
    // "name" or "name+0x12" for the nearest name at or below `address`
    // within `reach` bytes; empty when none.
    std::string describe(uint32_t address, uint32_t reach = 0x1000) const;
    // The address of the nearest name at or below `address` within `reach`
    // bytes: the function that holds it.
    std::optional<uint32_t> below(uint32_t address, uint32_t reach = 0x1000) const;

private:
    std::map<uint32_t, std::string> fByAddress;
    std::map<std::string, uint32_t> fByName;
};

// An address typed by the user: hexadecimal (0x or $ allowed) or a symbol's
// name. On failure, `error` says why.
std::optional<uint32_t> parseAddress(const std::string& text, const Symbols* symbols, std::string& error);

}  // namespace workbench
