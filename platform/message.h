// Messages: a command code and named data fields.
#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "storage.h"
#include "support_defs.h"

// What a window receives when files or directories are dropped on it: their
// references under "refs".
constexpr uint32 B_SIMPLE_DATA = 0x44415441;  // 'DATA'

class BMessage {
public:
    uint32 what = 0;

    BMessage() = default;
    explicit BMessage(uint32 code) : what(code) {}

    status_t AddRef(const char* name, const entry_ref* ref);
    status_t AddInt32(const char* name, int32 value);
    status_t AddString(const char* name, const char* text);

    // The index-th value under `name`: B_NAME_NOT_FOUND when there is no
    // such field, B_BAD_TYPE when it holds another type, B_BAD_INDEX past
    // its last value.
    status_t FindRef(const char* name, entry_ref* ref) const { return FindRef(name, 0, ref); }
    status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
    status_t FindInt32(const char* name, int32* value) const;
    status_t FindString(const char* name, const char** text) const;

    bool HasField(const char* name) const;
    void MakeEmpty() { fFields.clear(); }

private:
    using Value = std::variant<entry_ref, int32, std::string>;
    template <class T>
    status_t Find(const char* name, int32 index, const T** out) const;
    status_t Add(const char* name, Value value);

    std::map<std::string, std::vector<Value>> fFields;
};
