#include "symbol_file.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "atomic_file.h"

std::shared_ptr<const workbench::Symbols> readSymbolFile(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    switch (readWholeFile(path, workbench::Symbols::kLargestFile, bytes, error)) {
        case ReadStatus::Missing:
            error = "cannot open " + path + ": " + std::strerror(ENOENT);
            return nullptr;
        case ReadStatus::Failed:
            return nullptr;
        case ReadStatus::Read:
            break;
    }
    auto symbols = std::make_shared<workbench::Symbols>();
    if (!symbols->read(bytes, error)) {
        error = path + ": " + error;
        return nullptr;
    }
    return symbols;
}
