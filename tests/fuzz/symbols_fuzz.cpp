// Fuzzes the symbol reader (ELF through libelf, or a text map). A refused
// file must come with a one-line reason and leave the symbols as they were;
// an accepted one must answer every name it holds with its address.
#include <span>

#include "fuzz_check.h"
#include "symbols.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    workbench::Symbols symbols;
    std::string error;
    const uint8_t kept[] = {'4', '2', ' ', 'k', 'e', 'p', 't', '\n'};
    if (!symbols.read(std::span(kept), error)) fail("the seed map was refused");
    if (!symbols.read(std::span(data, size), error)) {
        if (!oneLine(error)) fail("a refusal without a one-line reason");
        if (symbols.size() != 1 || symbols.find("kept") != 0x42u) fail("a refused file changed the symbols");
        return 0;
    }
    if (symbols.empty()) fail("accepted without symbols");
    for (uint32_t address = 0; address < 0x1000000; address += 0x10000) {
        const std::string* name = symbols.nameAt(address);
        if (name && symbols.describe(address) != *name) fail("a name described otherwise");
    }
    return 0;
}
