#include "rom_set_fixtures.h"

#include <zip.h>
#include <zlib.h>

#include <fstream>
#include <initializer_list>

namespace rom_set_test {

const char* const kSetNames[6] = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeSet(const fs::path& dir, const RomFiles& files) {
    for (size_t k = 0; k < 6; ++k) writeFile(dir / kSetNames[k], files[k]);
}

RomFiles patternedSet() {
    RomFiles files(6, std::vector<uint8_t>(kRomSize));
    for (size_t k = 0; k < 6; ++k)
        for (size_t i = 0; i < kRomSize; ++i) files[k][i] = uint8_t(i * 7 + k);
    return files;
}

bool writeZip(const fs::path& path, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) return false;
    for (const auto& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, zip_uint64_t(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    return zip_close(archive) == 0;
}

std::vector<ZipEntry> setEntries(const RomFiles& files, const std::string& folder) {
    std::vector<ZipEntry> entries;
    for (size_t k = 0; k < 6; ++k) entries.push_back({folder + kSetNames[k], files[k]});
    return entries;
}

std::vector<HandMadeEntry> honestEntries(const RomFiles& files) {
    std::vector<HandMadeEntry> entries;
    for (size_t k = 0; k < 6; ++k)
        entries.push_back({kSetNames[k], uint32_t(files[k].size()), files[k], 0,
                           uint32_t(crc32(0, files[k].data(), uInt(files[k].size())))});
    return entries;
}

namespace {
// Little-endian fields of 2 or 4 bytes.
void put(std::vector<uint8_t>& out, std::initializer_list<std::pair<uint32_t, int>> fields) {
    for (const auto& [value, bytes] : fields)
        for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}
}  // namespace

std::vector<uint8_t> handMadeZip(const std::vector<HandMadeEntry>& entries) {
    std::vector<uint8_t> zip, central;
    for (const auto& e : entries) {
        const uint32_t offset = uint32_t(zip.size()), size = uint32_t(e.data.size()), name = uint32_t(e.name.size());
        // version needed, flags, method, time, date, CRC, sizes, name and extra field lengths
        auto header = [&](std::vector<uint8_t>& out) {
            put(out, {{20, 2}, {0, 2}, {e.method, 2}, {0, 2}, {0x21, 2}, {e.crc, 4}, {size, 4}, {e.claimedSize, 4},
                      {name, 2}, {0, 2}});
        };
        put(zip, {{0x04034B50, 4}});
        header(zip);
        zip.insert(zip.end(), e.name.begin(), e.name.end());
        zip.insert(zip.end(), e.data.begin(), e.data.end());
        put(central, {{0x02014B50, 4}, {20, 2}});  // made by
        header(central);
        put(central, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {offset, 4}});  // comment, disk, attributes, offset
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    const uint32_t centralOffset = uint32_t(zip.size()), count = uint32_t(entries.size());
    zip.insert(zip.end(), central.begin(), central.end());
    put(zip, {{0x06054B50, 4}, {0, 2}, {0, 2}, {count, 2}, {count, 2}, {uint32_t(central.size()), 4},
              {centralOffset, 4}, {0, 2}});
    return zip;
}

}  // namespace rom_set_test
