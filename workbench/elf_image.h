// An ELF file held in memory, opened with libelf for reading (the symbol
// reader and the line table use it) and closed when it goes.
#pragma once

#include <libelf.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace workbench {

class ElfImage {
public:
    // Opens a copy of `bytes` (libelf may write to its buffer); elf() is
    // null, with `error` set to `notElf`, when they are no ELF file.
    ElfImage(std::span<const uint8_t> bytes, const char* notElf, std::string& error)
        : fImage(bytes.begin(), bytes.end()) {
        if (elf_version(EV_CURRENT) == EV_NONE) {
            error = "libelf cannot be used";
            return;
        }
        fElf = elf_memory(fImage.data(), fImage.size());
        if (fElf && elf_kind(fElf) != ELF_K_ELF) {
            elf_end(fElf);
            fElf = nullptr;
        }
        if (!fElf) error = notElf;
    }
    ~ElfImage() {
        if (fElf) elf_end(fElf);
    }
    ElfImage(const ElfImage&) = delete;
    ElfImage& operator=(const ElfImage&) = delete;

    Elf* elf() const { return fElf; }

private:
    std::vector<char> fImage;
    Elf* fElf = nullptr;
};

}  // namespace workbench
