#include "symbols.h"

#include <gelf.h>
#include <libelf.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace workbench {

namespace {

using Table = std::map<uint32_t, std::string>;

constexpr size_t kMaxName = 256;
constexpr size_t kMaxFile = 64u << 20;

bool validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxName) return false;
    for (unsigned char c : name)
        if (!std::isgraph(c)) return false;
    return true;
}

bool readElf(std::span<const uint8_t> bytes, Table& table, std::string& error) {
    if (elf_version(EV_CURRENT) == EV_NONE) {
        error = "libelf cannot be used";
        return false;
    }
    std::vector<char> image(bytes.begin(), bytes.end());  // libelf may write to its buffer
    Elf* elf = elf_memory(image.data(), image.size());
    if (!elf || elf_kind(elf) != ELF_K_ELF) {
        if (elf) elf_end(elf);
        error = "not an ELF file";
        return false;
    }
    bool tables = false, broken = false;
    GElf_Ehdr file;
    // A cut file still reads as ELF; its section table must lie inside it.
    if (!gelf_getehdr(elf, &file) || file.e_shoff + uint64_t{file.e_shnum} * file.e_shentsize > bytes.size())
        broken = true;
    for (Elf_Scn* section = nullptr; !broken && (section = elf_nextscn(elf, section)) != nullptr;) {
        GElf_Shdr header;
        if (!gelf_getshdr(section, &header)) {
            broken = true;
            break;
        }
        if (header.sh_type != SHT_SYMTAB || header.sh_entsize == 0) continue;
        Elf_Data* data = elf_getdata(section, nullptr);
        if (!data || header.sh_offset + header.sh_size > bytes.size()) {
            broken = true;
            break;
        }
        tables = true;
        const size_t count = data->d_size / header.sh_entsize;
        for (size_t i = 0; i < count; ++i) {
            GElf_Sym symbol;
            if (!gelf_getsym(data, static_cast<int>(i), &symbol)) break;
            const int type = GELF_ST_TYPE(symbol.st_info);
            if (type == STT_SECTION || type == STT_FILE || symbol.st_shndx == SHN_UNDEF) continue;
            const char* name = elf_strptr(elf, header.sh_link, symbol.st_name);
            if (name && validName(name)) table.emplace(static_cast<uint32_t>(symbol.st_value) & 0xFFFFFF, name);
        }
    }
    elf_end(elf);
    if (broken) error = "the ELF file is truncated or damaged";
    else if (!tables) error = "the ELF file has no symbol table";
    return !broken && tables;
}

bool readMap(std::span<const uint8_t> bytes, Table& table, std::string& error) {
    const std::string text(bytes.begin(), bytes.end());
    size_t lineNumber = 0, start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        char name[kMaxName + 2] = {};
        unsigned long address = 0;
        const char* at = line.c_str() + first;
        if (*at == '$') ++at;
        int used = 0;
        if (std::sscanf(at, "%lx %257s%n", &address, name, &used) != 2 || at[used] != '\0' || address > 0xFFFFFF ||
            !validName(name)) {
            error = "line " + std::to_string(lineNumber) + " is not \"address name\"";
            return false;
        }
        table.emplace(static_cast<uint32_t>(address), name);
    }
    if (table.empty()) error = "no symbols in the file";
    return !table.empty();
}

}  // namespace

bool Symbols::read(std::span<const uint8_t> bytes, std::string& error) {
    Table table;
    const bool elf = bytes.size() >= 4 && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' && bytes[3] == 'F';
    if (!(elf ? readElf(bytes, table, error) : readMap(bytes, table, error))) return false;
    if (table.empty()) {
        error = "no symbols in the file";
        return false;
    }
    fByAddress = std::move(table);
    fByName.clear();
    for (const auto& [address, name] : fByAddress) fByName.emplace(name, address);
    return true;
}

bool Symbols::load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
        if (bytes.size() > kMaxFile) {
            error = path + ": too large for a symbol file";
            return false;
        }
    }
    if (!read(bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

const std::string* Symbols::nameAt(uint32_t address) const {
    const auto found = fByAddress.find(address & 0xFFFFFF);
    return found == fByAddress.end() ? nullptr : &found->second;
}

std::optional<uint32_t> Symbols::find(const std::string& name) const {
    const auto found = fByName.find(name);
    if (found == fByName.end()) return std::nullopt;
    return found->second;
}

std::string Symbols::describe(uint32_t address, uint32_t reach) const {
    address &= 0xFFFFFF;
    auto found = fByAddress.upper_bound(address);
    if (found == fByAddress.begin()) return "";
    --found;
    const uint32_t offset = address - found->first;
    if (offset > reach) return "";
    if (offset == 0) return found->second;
    char text[16];
    std::snprintf(text, sizeof text, "+0x%X", offset);
    return found->second + text;
}

std::optional<uint32_t> parseAddress(const std::string& text, const Symbols* symbols, std::string& error) {
    const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        error = "no address given";
        return std::nullopt;
    }
    const std::string word = text.substr(first, last - first + 1);
    if (symbols)
        if (auto address = symbols->find(word)) return address;
    std::string digits = word;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits = digits.substr(2);
    else if (digits[0] == '$') digits = digits.substr(1);
    bool hex = !digits.empty() && digits.size() <= 6;
    for (unsigned char c : digits) hex = hex && std::isxdigit(c);
    if (!hex) {
        error = "\"" + word + "\" is neither an address (0 to FFFFFF) nor a known symbol";
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
}

}  // namespace workbench
