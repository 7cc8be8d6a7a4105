// Writes the manual page to standard output (the build makes bevorel.6 with it).
#include <cstdio>

#include "man_page.h"

int main() {
    std::fputs(manPage(BEVOREL_VERSION).c_str(), stdout);
    return std::ferror(stdout) ? 1 : 0;
}
