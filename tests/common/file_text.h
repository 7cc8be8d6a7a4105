// A whole file as text (empty when it cannot be read), for tests that compare
// what a program wrote.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
