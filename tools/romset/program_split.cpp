#include "program_split.h"

#include <string>

#include "layout.h"
#include "rom_error.h"

namespace romset {

ProgramRoms splitProgram(const std::vector<uint8_t>& image) {
    if (image.empty()) throw RomError("the program image is empty");
    if (image.size() > kProgramMax)
        throw RomError("the program is " + std::to_string(image.size()) + " bytes; the board's program ROM holds at most " +
                       std::to_string(kProgramMax) + " bytes (256 KiB)");
    ProgramRoms roms{std::vector<uint8_t>(kRomFileSize, 0xFF), std::vector<uint8_t>(kRomFileSize, 0xFF)};
    for (std::size_t address = 0; address < image.size(); ++address) {
        auto& file = (address & 1) ? roms.odd : roms.even;
        file[address >> 1] = image[address];
    }
    return roms;
}

std::vector<uint8_t> joinProgram(const std::vector<uint8_t>& even, const std::vector<uint8_t>& odd) {
    for (const auto* file : {&even, &odd})
        if (file->size() < kRomFileSize)
            throw RomError("a program ROM file has " + std::to_string(file->size()) + " bytes; it needs " +
                           std::to_string(kRomFileSize));
    std::vector<uint8_t> image(kProgramMax);
    for (std::size_t i = 0; i < kRomFileSize; ++i) {
        image[2 * i] = even[i];
        image[2 * i + 1] = odd[i];
    }
    return image;
}

}  // namespace romset
