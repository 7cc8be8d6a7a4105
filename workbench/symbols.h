// Names for addresses: from an ELF file's symbol tables (read with libelf)
// or from a text map of "address name" lines (hexadecimal address, with or
// without 0x or $; blank lines and lines starting with # are skipped).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace workbench {

class Symbols {
public:
    // Reads symbols from a file's bytes. On failure `error` says what is
    // wrong (one line) and the symbols are left as they were.
    bool read(std::span<const uint8_t> bytes, std::string& error);
    // Reads a file; the error names it.
    bool load(const std::string& path, std::string& error);

    bool empty() const { return fByAddress.empty(); }
    size_t size() const { return fByAddress.size(); }
    // The name at exactly `address`, or none.
    const std::string* nameAt(uint32_t address) const;
    // An address by name.
    std::optional<uint32_t> find(const std::string& name) const;
    // "name" or "name+0x12" for the nearest name at or below `address`
    // within `reach` bytes; empty when none.
    std::string describe(uint32_t address, uint32_t reach = 0x1000) const;

private:
    std::map<uint32_t, std::string> fByAddress;
    std::map<std::string, uint32_t> fByName;
};

// An address typed by the user: hexadecimal (0x or $ allowed) or a symbol's
// name. On failure, `error` says why.
std::optional<uint32_t> parseAddress(const std::string& text, const Symbols* symbols, std::string& error);

}  // namespace workbench
