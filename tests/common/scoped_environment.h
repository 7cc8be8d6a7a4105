// Environment variables set for one test and put back as they were after it.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

// Sets environment variables for one test; puts the old values back after.
class Environment {
public:
    void set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};
