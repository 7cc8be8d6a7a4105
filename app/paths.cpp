#include "paths.h"

#include <cstring>

char execPath[kPathSize];
char romPath[kPathSize];

bool copyPath(char (&buffer)[kPathSize], const char* text) {
    if (!text) return false;
    const std::size_t length = strnlen(text, kPathSize);
    if (length >= kPathSize) return false;
    std::memcpy(buffer, text, length + 1);
    return true;
}

void cutToDirectory(char (&path)[kPathSize]) {
    char* slash = std::strrchr(path, '/');
    if (slash) slash[1] = '\0';
    else std::strcpy(path, "./");
}
