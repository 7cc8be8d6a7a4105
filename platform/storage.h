// Storage: references to file-system entries and their paths.
#pragma once

#include <string>

#include "support_defs.h"

// Refers to a file-system entry by its path (a name in a directory).
struct entry_ref {
    entry_ref() = default;
    explicit entry_ref(const char* path) : fPath(path ? path : "") {}
    const std::string& path() const { return fPath; }
    bool operator==(const entry_ref&) const = default;

private:
    std::string fPath;
};

status_t get_ref_for_path(const char* path, entry_ref* ref);

class BPath {
public:
    BPath() = default;
    explicit BPath(const char* path) { SetTo(path); }
    status_t SetTo(const char* path);
    status_t InitCheck() const { return fPath.empty() ? B_NO_INIT : B_OK; }
    // The path's text, or null when the path is not set.
    const char* Path() const { return fPath.empty() ? nullptr : fPath.c_str(); }
    const char* Leaf() const;

private:
    std::string fPath;
};

class BEntry {
public:
    BEntry() = default;
    // With `traverse`, a symbolic link is replaced by the entry it points
    // to; without, the entry is the link itself.
    status_t SetTo(const entry_ref* ref, bool traverse = false);
    status_t SetTo(const char* path, bool traverse = false);
    status_t InitCheck() const { return fPath.empty() ? B_NO_INIT : B_OK; }
    bool Exists() const;
    status_t GetPath(BPath* path) const;
    status_t GetRef(entry_ref* ref) const;

private:
    std::string fPath;
};
