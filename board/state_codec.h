// The save-state image, for any field list: a 28-byte header that names the
// format version and the ROM set and checks the body by CRC-32, then the
// fields of that version one after the other, each little-endian and of its
// own fixed width (arrays element by element, an enum as its underlying
// type). A field list is a tuple of `field(since, &State::member)`: `since`
// is the first format version that holds the field. Reading an image of an
// older version fills only the fields that version has; the others keep the
// values a value-initialised State gives them (their default member
// initialisers), which is how an older state is brought up to date.
#pragma once

#include <cinttypes>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace save_state {

constexpr uint8_t kMagic[8] = {'B', 'V', 'S', 'T', 'A', 'T', 'E', 0x1A};
constexpr size_t kHeaderSize = 28;

template <class State, class Member>
struct Field {
    using Type = Member;
    uint32_t since;
    Member State::*member;
};
template <class State, class Member>
constexpr Field<State, Member> field(uint32_t since, Member State::*member) {
    return {since, member};
}

// The body's length in format `version`.
template <class Fields>
constexpr size_t bodySize(const Fields& fields, uint32_t version) {
    return std::apply(
        [version](const auto&... f) {
            return ((f.since <= version ? sizeof(typename std::remove_cvref_t<decltype(f)>::Type) : 0) + ... +
                    size_t{0});
        },
        fields);
}

namespace codec {

template <class T>
void put(std::vector<uint8_t>& out, const T& value) {
    if constexpr (std::is_array_v<T>) {
        for (const auto& element : value) put(out, element);
    } else if constexpr (std::is_enum_v<T>) {
        put(out, static_cast<std::underlying_type_t<T>>(value));
    } else {
        for (size_t i = 0; i < sizeof value; ++i) out.push_back(static_cast<uint8_t>(uint64_t{value} >> (8 * i)));
    }
}

// From a buffer whose length the caller has already checked.
template <class T>
void get(const uint8_t*& at, T& value) {
    if constexpr (std::is_array_v<T>) {
        for (auto& element : value) get(at, element);
    } else if constexpr (std::is_enum_v<T>) {
        std::underlying_type_t<T> raw;
        get(at, raw);
        value = static_cast<T>(raw);
    } else {
        uint64_t raw = 0;
        for (size_t i = 0; i < sizeof value; ++i) raw |= uint64_t{*at++} << (8 * i);
        value = static_cast<T>(raw);
    }
}

uint32_t crcOf(const uint8_t* data, size_t size);  // CRC-32 (zlib's), in state_format.cpp

// Sets `error` to the formatted line; false, for `return refuse(...)`.
__attribute__((format(printf, 2, 3))) inline bool refuse(std::string& error, const char* format, ...) {
    char line[200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    error = line;
    return false;
}

}  // namespace codec

// The image of `state` in format `version`.
template <class Fields, class State>
std::vector<uint8_t> encodeImage(const Fields& fields, const State& state, uint32_t version, uint64_t romSetHash) {
    const size_t body = bodySize(fields, version);
    std::vector<uint8_t> image(kMagic, kMagic + sizeof kMagic);
    image.reserve(kHeaderSize + body);
    codec::put(image, version);
    codec::put(image, romSetHash);
    codec::put(image, static_cast<uint32_t>(body));
    codec::put(image, uint32_t{0});  // the CRC, once the body is there
    std::apply([&](const auto&... f) { ((f.since <= version ? codec::put(image, state.*f.member) : void()), ...); },
               fields);
    const uint32_t crc = codec::crcOf(image.data() + kHeaderSize, body);
    for (int i = 0; i < 4; ++i) image[kHeaderSize - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return image;
}

// Checks an image of any format from 1 to `newest` completely against the ROM
// set with hash `romSetHash`: the signature, the version, the ROM set, the
// lengths and the CRC. On success fills `state` (the fields the image's
// version lacks keep State{}'s values); on failure `error` holds one line
// and `state` is left as it was.
template <class Fields, class State>
bool decodeImage(const Fields& fields, uint32_t newest, const uint8_t* image, size_t size, uint64_t romSetHash,
                 State& state, std::string& error) {
    using codec::refuse;
    if (size < sizeof kMagic || std::memcmp(image, kMagic, sizeof kMagic) != 0)
        return refuse(error, "is not a save state (it does not start with the state signature)");
    if (size < kHeaderSize)
        return refuse(error, "is cut short: %zu bytes, less than its %zu-byte header", size, kHeaderSize);
    const uint8_t* at = image + sizeof kMagic;
    uint32_t version, length, crc;
    uint64_t hash;
    codec::get(at, version), codec::get(at, hash), codec::get(at, length), codec::get(at, crc);
    if (version > newest)
        return refuse(error,
                      "was saved by a newer version of the program (state format %" PRIu32
                      "; this one reads format %" PRIu32 ")",
                      version, newest);
    if (version < 1) return refuse(error, "has an unknown state format %" PRIu32, version);
    if (hash != romSetHash)
        return refuse(error, "belongs to another ROM set (%016" PRIx64 "; the loaded one is %016" PRIx64 ")", hash,
                      romSetHash);
    const size_t body = bodySize(fields, version), whole = kHeaderSize + body;
    if (length != body)
        return refuse(error, "is damaged: its header gives a body of %" PRIu32 " bytes, the format has %zu", length,
                      body);
    if (size < whole) return refuse(error, "is cut short: %zu bytes where a state has %zu", size, whole);
    if (size > whole) return refuse(error, "is too long: %zu bytes where a state has %zu", size, whole);
    const uint32_t actual = codec::crcOf(image + kHeaderSize, body);
    if (actual != crc)
        return refuse(error, "is damaged: the CRC-32 of its body is %08" PRIX32 ", its header says %08" PRIX32,
                      actual, crc);
    at = image + kHeaderSize;
    state = State{};
    std::apply([&](const auto&... f) { ((f.since <= version ? codec::get(at, state.*f.member) : void()), ...); },
               fields);
    return true;
}

}  // namespace save_state
