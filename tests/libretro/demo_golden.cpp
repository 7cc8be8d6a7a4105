#include "demo_golden.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace libretro_test {

DemoRun demoRun(const std::string& source, const std::string& name) {
    std::ifstream in(source);
    std::stringstream text;
    text << in.rdbuf();
    const std::string code = text.str();

    DemoRun run;
    const size_t call = code.find("runAndCheck(\"" + name + "\"");
    if (call == std::string::npos) return run;
    const std::string arguments = code.substr(call, code.find(");", call) - call);

    // runAndCheck(name, {} or script, {{frame, hash}...})
    static const std::regex golden(R"(\{(\d+), (0x[0-9A-Fa-f]+)ull\})");
    for (std::sregex_iterator m(arguments.begin(), arguments.end(), golden), end; m != end; ++m)
        run.golden.push_back({std::stoi((*m)[1]), std::stoull((*m)[2], nullptr, 16)});

    if (arguments.find(", script,") != std::string::npos) {
        const size_t start = code.rfind("script = {", call);
        const std::string script = code.substr(start, code.find("};", start) - start);
        static const std::regex event(R"(\{(\d+), (k\w+), (true|false)\})");
        for (std::sregex_iterator m(script.begin(), script.end(), event), end; m != end; ++m)
            run.script.push_back({std::stoi((*m)[1]), (*m)[2], (*m)[3] == "true"});
    }
    return run;
}

}  // namespace libretro_test
