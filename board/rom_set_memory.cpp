// A ROM set held in memory: its files by name. No archive or file reading
// here, so that a host without libzip (the browser build) links it too.
#include <cstring>
#include <new>

#include "rom_set_content.h"

int rom_set_index(const std::string& name) {
    for (size_t i = 0; i < kRomSetNames.size(); ++i)
        if (name == kRomSetNames[i]) return static_cast<int>(i);
    return -1;
}

const unsigned char* rom_set_file(const RomSetFiles& files, const std::string& name) {
    const int k = rom_set_index(name);
    return k < 0 ? nullptr : files.data[static_cast<size_t>(k)].get();
}

std::unique_ptr<unsigned char[]> copy_rom_set_file(const RomSetFiles& files, const char* name, std::string& reason) {
    const char* slash = std::strrchr(name, '/');
    const unsigned char* data = rom_set_file(files, slash ? slash + 1 : name);
    if (!data) {
        reason = std::string(name) + " is not a file of the loaded ROM set";
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[kRomFileSize]);
    if (!copy) {
        reason = "out of memory for " + std::string(name);
        return nullptr;
    }
    std::memcpy(copy.get(), data, kRomFileSize);
    return copy;
}
