// Source lines by address, from a 68000 ELF file's DWARF line table (read
// with libdw, from the file's bytes).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace workbench {

struct SourceLine {
    const std::string* file = nullptr;  // null: no line holds the address
    int line = 0;
};

class LineTable {
public:
    // Reads the line table; false, with `error` saying why, when the file
    // has none (a stripped file, or a text map) or it cannot be read.
    bool read(std::span<const uint8_t> bytes, std::string& error);
    // The line whose code holds `address`.
    SourceLine at(uint32_t address) const;
    bool empty() const { return fRows.empty(); }

private:
    struct Row {
        uint32_t address;  // the first address of the row's code
        uint32_t end;      // past its last
        int file;          // into fFiles
        int line;
    };
    std::vector<std::string> fFiles;
    std::vector<Row> fRows;  // by address
};

}  // namespace workbench
