#include "symbols.h"

#include <gelf.h>
#include <libelf.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "elf_image.h"

namespace workbench {

namespace {

// Every name read, in the order read; several may share an address. A size
// for the ELF file's functions and data objects.
struct Entry {
    uint32_t address = 0;
    std::string name;
    uint32_t size = 0;
    bool data = false;
};
using Table = std::vector<Entry>;

constexpr size_t kMaxName = 256;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxName) return false;
    for (unsigned char c : name)
        if (!std::isgraph(c)) return false;
    return true;
}

std::string machineName(unsigned machine) {
    static const std::pair<unsigned, const char*> known[] = {
        {EM_386, "x86"},     {EM_X86_64, "x86-64"}, {EM_ARM, "ARM"},         {EM_AARCH64, "AArch64"},
        {EM_MIPS, "MIPS"},   {EM_PPC, "PowerPC"},   {EM_PPC64, "PowerPC 64"}, {EM_SPARC, "SPARC"},
        {EM_SH, "SuperH"},   {EM_S390, "S/390"},    {EM_RISCV, "RISC-V"},    {EM_68HC12, "68HC12"},
    };
    for (const auto& [number, name] : known)
        if (number == machine) return name;
    return "machine " + std::to_string(machine);
}

// The ELF header's identification and machine: a 32-bit big-endian file for
// the 68000, whole up to the end of its header.
bool elfFor68000(std::span<const uint8_t> bytes, std::string& error) {
    constexpr size_t kHeader32 = sizeof(Elf32_Ehdr), kHeader64 = sizeof(Elf64_Ehdr);
    const uint8_t elfClass = bytes.size() > EI_CLASS ? bytes[EI_CLASS] : 0;
    const size_t header = elfClass == ELFCLASS64 ? kHeader64 : kHeader32;
    if (bytes.size() < header) {
        error = "the ELF file is truncated: " + std::to_string(bytes.size()) + " bytes, its header alone takes " +
                std::to_string(header);
        return false;
    }
    const uint8_t order = bytes[EI_DATA];
    const unsigned machine = order == ELFDATA2LSB ? bytes[18] | bytes[19] << 8 : bytes[18] << 8 | bytes[19];
    std::string wrong;
    if (elfClass != ELFCLASS32)
        wrong = elfClass == ELFCLASS64 ? "64-bit" : "of class " + std::to_string(elfClass);
    if (order != ELFDATA2MSB)
        wrong += (wrong.empty() ? "" : ", ") +
                 (order == ELFDATA2LSB ? std::string("little-endian") : "of byte order " + std::to_string(order));
    if (machine == EM_68K && wrong.empty()) return true;
    if (machine != EM_68K && order != ELFDATA2LSB && order != ELFDATA2MSB)
        error = "an ELF file of byte order " + std::to_string(order) + ", not the 68000's (big-endian)";
    else if (machine != EM_68K)
        error = "an ELF file for " + machineName(machine) + (wrong.empty() ? "" : " (" + wrong + ")") +
                ", not the 68000";
    else
        error = "an ELF file for the 68000 but " + wrong + "; the 68000's are 32-bit and big-endian";
    return false;
}

bool readElf(std::span<const uint8_t> bytes, Table& table, std::string& error) {
    if (!elfFor68000(bytes, error)) return false;
    const ElfImage image(bytes, "the ELF file is truncated or damaged", error);
    Elf* const elf = image.elf();
    if (!elf) return false;
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
            const bool sized = (type == STT_FUNC || type == STT_OBJECT) && symbol.st_size > 0;
            if (name && validName(name))
                table.push_back({static_cast<uint32_t>(symbol.st_value) & 0xFFFFFF, name,
                                 sized ? static_cast<uint32_t>(symbol.st_size) : 0u, type == STT_OBJECT});
        }
    }
    if (broken) error = "the ELF file is truncated or damaged";
    else if (!tables) error = "the ELF file has no symbol table";
    return !broken && tables;
}

// A map line's address: hexadecimal digits, with or without 0x or $, at most
// 0xFFFFFF.
std::optional<uint32_t> mapAddress(std::string_view word) {
    if (word.starts_with("0x") || word.starts_with("0X")) word.remove_prefix(2);
    else if (word.starts_with("$")) word.remove_prefix(1);
    if (word.empty() || word.size() > 8) return std::nullopt;
    uint32_t address = 0;
    for (unsigned char c : word) {
        if (!std::isxdigit(c)) return std::nullopt;
        address = address << 4 | static_cast<uint32_t>(std::isdigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    if (address > 0xFFFFFF) return std::nullopt;
    return address;
}

bool readMap(std::span<const uint8_t> bytes, Table& table, std::string& error) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());  // UTF-8 text may start with one
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        if (line.find('\0') != std::string_view::npos) {
            error = "line " + std::to_string(lineNumber) + " holds a NUL byte";
            return false;
        }
        line.remove_prefix(first);
        const size_t gap = line.find_first_of(" \t");
        const size_t second = line.find_first_not_of(" \t", gap);
        const auto address = mapAddress(line.substr(0, gap));
        const std::string name(second == std::string_view::npos ? std::string_view() : line.substr(second));
        if (!address || !validName(name)) {
            error = "line " + std::to_string(lineNumber) + " is not \"address name\"";
            return false;
        }
        table.push_back({*address, name});
    }
    return true;
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
    // An address keeps the first name given for it, a function or data
    // object's before another label's; every name finds the first address
    // given for it.
    std::stable_partition(table.begin(), table.end(), [](const Entry& e) { return e.size > 0; });
    fByAddress.clear();
    fByName.clear();
    fSized.clear();
    for (const Entry& e : table) {
        fByAddress.emplace(e.address, e.name);
        fByName.emplace(e.name, e.address);
        if (e.size) fSized.emplace(e.address, Sized{e.address, e.size, e.data, e.name});
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

std::optional<Symbols::Sized> Symbols::objectAt(uint32_t address) const {
    address &= 0xFFFFFF;
    auto in = fSized.upper_bound(address);
    if (in == fSized.begin()) return std::nullopt;
    const Sized& object = (--in)->second;
    if (!object.data || address - object.address >= object.size) return std::nullopt;
    return object;
}

std::string Symbols::describe(uint32_t address, uint32_t reach) const {
    address &= 0xFFFFFF;
    if (const auto object = objectAt(address)) {
        const uint32_t offset = address - object->address;
        return offset == 0 ? object->name : object->name + "+" + std::to_string(offset);
    }
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

std::optional<uint32_t> Symbols::below(uint32_t address, uint32_t reach) const {
    address &= 0xFFFFFF;
    auto found = fByAddress.upper_bound(address);
    if (found == fByAddress.begin() || address - std::prev(found)->first > reach) return std::nullopt;
    return std::prev(found)->first;
}

namespace {

// "($XXXXXX)", "($XXXX)" (a short address, sign-extended) or "$XXXXXX(pc"
// at `at`: its address, and the characters to replace (the parentheses of
// an absolute address go with it).
bool addressAt(const std::string& text, size_t at, uint32_t& address, size_t& length) {
    const bool absolute = text.compare(at, 2, "($") == 0;
    const size_t digits = at + (absolute ? 2 : 1);
    if (!absolute && text[at] != '$') return false;
    size_t end = digits;
    while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
    const size_t count = end - digits;
    if (absolute && (count == 6 || count == 4) && end < text.size() && text[end] == ')') {
        address = static_cast<uint32_t>(std::stoul(text.substr(digits, count), nullptr, 16));
        if (count == 4 && address >= 0x8000) address |= 0xFF0000;
        length = end + 1 - at;
        return true;
    }
    if (!absolute && count == 6 && text.compare(end, 3, "(pc") == 0 && (at == 0 || text[at - 1] != '#')) {
        address = static_cast<uint32_t>(std::stoul(text.substr(digits, count), nullptr, 16));
        length = end - at;
        return true;
    }
    return false;
}

}  // namespace

std::string nameOperands(const std::string& text, const Symbols& symbols) {
    std::string named;
    for (size_t at = 0; at < text.size();) {
        uint32_t address = 0;
        size_t length = 0;
        std::string name;
        if (addressAt(text, at, address, length) && !(name = symbols.describe(address)).empty()) {
            named += name;
            at += length;
        } else {
            named += text[at++];
        }
    }
    return named;
}

std::optional<uint32_t> parseAddress(const std::string& text, const Symbols* symbols, std::string& error,
                                     const BoardState* registers) {
    const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        error = "no address given";
        return std::nullopt;
    }
    const std::string word = text.substr(first, last - first + 1);
    if (symbols)
        if (auto address = symbols->find(word)) return address;
    if (registers && word.size() == 2) {
        const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
        const char second = static_cast<char>(std::tolower(static_cast<unsigned char>(word[1])));
        const int n = word[1] - '0';
        if (kind == 'p' && second == 'c') return registers->pc & 0xFFFFFF;
        if (kind == 's' && second == 'p') return registers->areg[7] & 0xFFFFFF;
        if ((kind == 'd' || kind == 'a') && n >= 0 && n < 8)
            return (kind == 'd' ? registers->dreg[n] : registers->areg[n]) & 0xFFFFFF;
    }
    std::string digits = word;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits = digits.substr(2);
    else if (digits[0] == '$') digits = digits.substr(1);
    bool hex = !digits.empty() && digits.size() <= 6;
    for (unsigned char c : digits) hex = hex && std::isxdigit(c);
    if (!hex) {
        error = "\"" + word + "\" is neither an address (0 to FFFFFF) nor a known symbol" +
                (registers ? " or register" : "");
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
}

}  // namespace workbench
