// Whole-file reads and writes with messages that name the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace romset {

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// `dir` joined with `name`, with exactly one '/' between them.
std::string joinPath(const std::string& dir, const std::string& name);

}  // namespace romset
