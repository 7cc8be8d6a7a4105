#include "restart.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void restartProgram(const char* program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    execv("/proc/self/exe", argv.data());
    std::fprintf(stderr, "%s: cannot start again: %s\n", program, std::strerror(errno));
}
