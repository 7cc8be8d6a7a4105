// Files that are never seen half-written, and small files read whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Creates the directory `dir` and its missing parents. On failure `error`
// says which directory could not be made and why.
bool makeDirectories(const std::string& dir, std::string& error);

// Replaces the file `path` by `size` bytes so that, whatever happens meanwhile
// (a crash, a power cut, a full disk), the path holds either the old file or
// the whole new one: the bytes go to a temporary file in the same directory,
// which is flushed to the disk and then renamed over `path`. Missing
// directories are created. On failure `error` says why, the old file is as it
// was and no temporary file is left.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error);

// Creates the file `path` with `size` bytes; never replaces a file that is
// already there (false with `exists` set then). Missing directories are
// created. On failure `error` says why and no part of the file is left.
bool writeNewFile(const std::string& path, const void* data, size_t size, bool& exists, std::string& error);

enum class ReadStatus { Read, Missing, Failed };
// Reads the regular file `path` whole if it holds at most `limit` bytes.
// Missing: nothing is there. Failed: `error` says why (not a regular file,
// larger than the limit, unreadable). `bytes` is empty unless Read.
ReadStatus readWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, std::string& error);
