#include "line_table.h"

#include <elfutils/libdw.h>
#include <libelf.h>

#include "elf_image.h"

#include <algorithm>
#include <map>

namespace workbench {

bool LineTable::read(std::span<const uint8_t> bytes, std::string& error) {
    const ElfImage image(bytes, "not an ELF file", error);
    if (!image.elf()) return false;
    Dwarf* dwarf = dwarf_begin_elf(image.elf(), DWARF_C_READ, nullptr);
    if (!dwarf) {
        error = "the ELF file has no DWARF information";
        return false;
    }
    std::vector<Row> rows;
    std::map<std::string, int> files;
    Dwarf_Off offset = 0, next = 0;
    size_t headerSize = 0;
    while (dwarf_nextcu(dwarf, offset, &next, &headerSize, nullptr, nullptr, nullptr) == 0) {
        Dwarf_Die unit;
        Dwarf_Lines* lines = nullptr;
        size_t count = 0;
        if (dwarf_offdie(dwarf, offset + headerSize, &unit) && dwarf_getsrclines(&unit, &lines, &count) == 0) {
            // Each row's code runs to the next row's address in its sequence.
            for (size_t i = 0; i + 1 < count; ++i) {
                Dwarf_Line* line = dwarf_onesrcline(lines, i);
                Dwarf_Line* after = dwarf_onesrcline(lines, i + 1);
                Dwarf_Addr from = 0, to = 0;
                int number = 0;
                bool endsSequence = false;
                if (dwarf_lineaddr(line, &from) || dwarf_lineaddr(after, &to) || dwarf_lineno(line, &number) ||
                    dwarf_lineendsequence(line, &endsSequence) || endsSequence || to <= from)
                    continue;
                const char* name = dwarf_linesrc(line, nullptr, nullptr);
                if (!name) continue;
                const auto [place, added] = files.emplace(name, static_cast<int>(fFiles.size()));
                if (added) fFiles.push_back(name);
                rows.push_back({static_cast<uint32_t>(from), static_cast<uint32_t>(to), place->second, number});
            }
        }
        offset = next;
    }
    dwarf_end(dwarf);
    if (rows.empty()) {
        error = "the ELF file has no line table";
        return false;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.address < b.address; });
    fRows = std::move(rows);
    return true;
}

SourceLine LineTable::at(uint32_t address) const {
    auto it = std::upper_bound(fRows.begin(), fRows.end(), address,
                               [](uint32_t a, const Row& row) { return a < row.address; });
    if (it == fRows.begin()) return {};
    --it;
    if (address >= it->end) return {};
    return {&fFiles[static_cast<size_t>(it->file)], it->line};
}

}  // namespace workbench
