#include "storage.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

status_t get_ref_for_path(const char* path, entry_ref* ref) {
    if (!path || !*path || !ref) return B_BAD_VALUE;
    *ref = entry_ref(path);
    return B_OK;
}

status_t BPath::SetTo(const char* path) {
    fPath = path ? path : "";
    return InitCheck();
}

const char* BPath::Leaf() const {
    if (fPath.empty()) return nullptr;
    const size_t slash = fPath.find_last_of('/');
    return fPath.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse) {
    if (!ref) {
        fPath.clear();
        return B_BAD_VALUE;
    }
    return SetTo(ref->path().c_str(), traverse);
}

status_t BEntry::SetTo(const char* path, bool traverse) {
    fPath.clear();
    if (!path || !*path) return B_BAD_VALUE;
    if (!traverse) {
        fPath = path;
        return B_OK;
    }
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(fs::path(path), error);
    if (error) return B_ENTRY_NOT_FOUND;
    fPath = resolved.string();
    return B_OK;
}

bool BEntry::Exists() const {
    std::error_code error;
    return !fPath.empty() && fs::symlink_status(fPath, error).type() != fs::file_type::not_found &&
           !error;
}

status_t BEntry::GetPath(BPath* path) const {
    if (!path) return B_BAD_VALUE;
    if (fPath.empty()) return B_NO_INIT;
    return path->SetTo(fPath.c_str());
}

status_t BEntry::GetRef(entry_ref* ref) const {
    if (!ref) return B_BAD_VALUE;
    if (fPath.empty()) return B_NO_INIT;
    *ref = entry_ref(fPath.c_str());
    return B_OK;
}
