#include "keep_libraries.h"

#if defined(__SANITIZE_ADDRESS__)
#define BEVOREL_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BEVOREL_LEAK_CHECK 1
#endif
#endif

#ifdef BEVOREL_LEAK_CHECK

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

void keep_libraries_loaded_for_leak_check() {
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* list) {
            if (info->dlpi_name && info->dlpi_name[0])
                static_cast<std::vector<std::string>*>(list)->push_back(info->dlpi_name);
            return 0;
        },
        &names);
    // Each handle is kept, never closed, so the library stays mapped.
    for (const std::string& name : names) dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

#else

void keep_libraries_loaded_for_leak_check() {}

#endif
