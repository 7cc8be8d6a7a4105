#include "rom_set_fixtures.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>

namespace libretro_test {

const char* const kSetNames[6] = {"PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"};

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::vector<uint8_t>> patternedSet() {
    std::vector<std::vector<uint8_t>> files(6, std::vector<uint8_t>(kRomSize));
    for (size_t k = 0; k < 6; ++k)
        for (size_t i = 0; i < kRomSize; ++i) files[k][i] = static_cast<uint8_t>(i * 7 + k);
    return files;
}

void writeSet(const fs::path& dir, const std::vector<std::vector<uint8_t>>& files) {
    for (size_t k = 0; k < 6; ++k) writeFile(dir / kSetNames[k], files[k]);
}

namespace {
// The program files of a big-endian 68000 image, with empty graphics.
std::vector<std::vector<uint8_t>> programSet(const std::vector<uint8_t>& image) {
    std::vector<std::vector<uint8_t>> files(6, std::vector<uint8_t>(kRomSize, 0));
    std::fill(files[0].begin(), files[0].end(), 0xFF);
    std::fill(files[1].begin(), files[1].end(), 0xFF);
    for (size_t i = 0; i < image.size(); ++i) files[i % 2 ? 0 : 1][i / 2] = image[i];  // 3A even, 2A odd
    return files;
}

void place(std::vector<uint8_t>& image, size_t at, std::initializer_list<uint8_t> bytes) {
    if (image.size() < at + bytes.size()) image.resize(at + bytes.size(), 0xFF);
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

// SSP 0x00104000, PC 0x00000400.
std::vector<uint8_t> withResetVectors() {
    std::vector<uint8_t> image;
    place(image, 0, {0x00, 0x10, 0x40, 0x00, 0x00, 0x00, 0x04, 0x00});
    return image;
}
}  // namespace

std::vector<std::vector<uint8_t>> idleProgramSet() {
    auto image = withResetVectors();
    place(image, 0x400, {0x60, 0xFE});  // bra.s *
    return programSet(image);
}

std::vector<std::vector<uint8_t>> interruptProbeSet(bool enable) {
    auto image = withResetVectors();
    for (size_t vector : {26, 27, 28}) place(image, 4 * vector, {0x00, 0x00, 0x05, 0x00});
    place(image, 0x400, {0x46, 0xFC, 0x20, 0x00});  // move.w #$2000,sr
    if (enable) place(image, 0x404, {0x33, 0xFC, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00});  // move.w #1,$400000
    place(image, enable ? 0x40C : 0x404, {0x60, 0xFE});                               // bra.s *
    place(image, 0x500, {0x33, 0xFC, 0x7C, 0x00, 0x00, 0x60, 0x00, 0x00,              // move.w #$7C00,$600000
                         0x4E, 0x73});                                                 // rte
    return programSet(image);
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
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    return zip_close(archive) == 0;
}

std::vector<ZipEntry> setEntries(const std::vector<std::vector<uint8_t>>& files, const std::string& folder) {
    std::vector<ZipEntry> entries;
    for (size_t k = 0; k < 6; ++k) entries.push_back({folder + kSetNames[k], files[k]});
    return entries;
}

namespace {
void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
}  // namespace

std::vector<HandMadeEntry> honestEntries(const std::vector<std::vector<uint8_t>>& files) {
    std::vector<HandMadeEntry> entries;
    for (size_t k = 0; k < 6; ++k)
        entries.push_back({kSetNames[k], static_cast<uint32_t>(files[k].size()), files[k], 0,
                           static_cast<uint32_t>(crc32(0, files[k].data(), static_cast<uInt>(files[k].size())))});
    return entries;
}

std::vector<uint8_t> handMadeZip(const std::vector<HandMadeEntry>& entries) {
    std::vector<uint8_t> zip, central;
    auto header = [](std::vector<uint8_t>& out, const HandMadeEntry& e) {
        put16(out, 20);  // version needed
        put16(out, 0);   // flags
        put16(out, e.method);
        put16(out, 0);     // time
        put16(out, 0x21);  // date
        put32(out, e.crc);
        put32(out, static_cast<uint32_t>(e.data.size()));
        put32(out, e.claimedSize);
        put16(out, static_cast<uint16_t>(e.name.size()));
        put16(out, 0);  // extra field length
    };
    for (const auto& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(zip.size());
        put32(zip, 0x04034B50);
        header(zip, e);
        zip.insert(zip.end(), e.name.begin(), e.name.end());
        zip.insert(zip.end(), e.data.begin(), e.data.end());

        put32(central, 0x02014B50);
        put16(central, 20);  // made by
        header(central, e);
        put16(central, 0);  // comment length
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, offset);
        central.insert(central.end(), e.name.begin(), e.name.end());
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    zip.insert(zip.end(), central.begin(), central.end());
    put32(zip, 0x06054B50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, static_cast<uint16_t>(entries.size()));
    put16(zip, static_cast<uint16_t>(entries.size()));
    put32(zip, static_cast<uint32_t>(central.size()));
    put32(zip, centralOffset);
    put16(zip, 0);
    return zip;
}

}  // namespace libretro_test
