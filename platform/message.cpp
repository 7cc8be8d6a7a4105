#include "message.h"

status_t BMessage::Add(const char* name, Value value) {
    if (!name || !*name) return B_BAD_VALUE;
    auto& values = fFields[name];
    if (!values.empty() && values.front().index() != value.index()) return B_BAD_TYPE;
    values.push_back(std::move(value));
    return B_OK;
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref) {
    if (!ref) return B_BAD_VALUE;
    return Add(name, *ref);
}

status_t BMessage::AddInt32(const char* name, int32 value) { return Add(name, value); }

status_t BMessage::AddString(const char* name, const char* text) {
    if (!text) return B_BAD_VALUE;
    return Add(name, std::string(text));
}

template <class T>
status_t BMessage::Find(const char* name, int32 index, const T** out) const {
    if (!name) return B_BAD_VALUE;
    auto it = fFields.find(name);
    if (it == fFields.end()) return B_NAME_NOT_FOUND;
    if (index < 0 || static_cast<size_t>(index) >= it->second.size()) return B_BAD_INDEX;
    const T* value = std::get_if<T>(&it->second[index]);
    if (!value) return B_BAD_TYPE;
    *out = value;
    return B_OK;
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const {
    const entry_ref* found = nullptr;
    status_t status = Find(name, index, &found);
    if (status == B_OK && ref) *ref = *found;
    return status;
}

status_t BMessage::FindInt32(const char* name, int32* value) const {
    const int32* found = nullptr;
    status_t status = Find(name, 0, &found);
    if (status == B_OK && value) *value = *found;
    return status;
}

status_t BMessage::FindString(const char* name, const char** text) const {
    const std::string* found = nullptr;
    status_t status = Find(name, 0, &found);
    if (status == B_OK && text) *text = found->c_str();
    return status;
}

bool BMessage::HasField(const char* name) const { return name && fFields.count(name) != 0; }
