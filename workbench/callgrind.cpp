#include "callgrind.h"

#include <map>

namespace workbench {

namespace {

const std::string kUnknownFile = "???";

struct Place {
    const std::string* file;
    int line;
};

Place placeOf(const LineTable* lines, uint32_t address) {
    const SourceLine source = lines ? lines->at(address) : SourceLine{};
    return source.file ? Place{source.file, source.line} : Place{&kUnknownFile, 0};
}

}  // namespace

std::string callgrindText(const Profile& profile, const std::function<std::string(uint32_t)>& name,
                          const LineTable* lines, const std::string& command) {
    std::string out = "# callgrind format\nversion: 1\ncreator: bevorel\ncmd: " + command + "\n";
    out += "positions: line\nevents: Cycles\n";  // the header's last line
    // Calls by caller, each at the line of its call site (the word before
    // the return address lies in the call instruction).
    std::multimap<uint32_t, std::pair<std::tuple<uint32_t, uint32_t, uint32_t>, CallCost>> byCaller;
    for (const auto& [key, cost] : profile.calls) byCaller.emplace(std::get<0>(key), std::make_pair(key, cost));
    for (const auto& [function, cost] : profile.functions) {
        const Place entry = placeOf(lines, function);
        out += "\nfl=" + *entry.file + "\nfn=" + name(function) + "\n";
        out += std::to_string(entry.line) + " " + std::to_string(cost.self) + "\n";
        const std::string* current = entry.file;
        const auto [from, to] = byCaller.equal_range(function);
        for (auto it = from; it != to; ++it) {
            const auto& [key, call] = it->second;
            const uint32_t callee = std::get<2>(key);
            const Place site = placeOf(lines, std::get<1>(key) - 2);
            const Place target = placeOf(lines, callee);
            if (site.file != current) {
                out += "fi=" + *site.file + "\n";
                current = site.file;
            }
            out += "cfl=" + *target.file + "\ncfn=" + name(callee) + "\n";
            out += "calls=" + std::to_string(call.calls) + " " + std::to_string(target.line) + "\n";
            out += std::to_string(site.line) + " " + std::to_string(call.inclusive) + "\n";
        }
    }
    return out;
}

}  // namespace workbench
