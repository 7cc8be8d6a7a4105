#include "launch_options.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "hotkeys.h"
#include "option_table.h"

namespace {

constexpr int kMaxScale = 8;
constexpr long kMaxPort = 65535;
constexpr int kStateSlotCount = 8;
constexpr size_t kLongestRomSet = 1024;  // what the board takes, with the final '/' and the terminator

// A whole decimal number from `low` to `high`, nothing else.
bool parseNumber(const std::string& text, long low, long high, long* value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || number < low || number > high) return false;
    *value = number;
    return true;
}

}  // namespace

ParseResult parseLaunchOptions(const std::vector<std::string>& args, LaunchOptions& options,
                               std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (name.rfind("--", 0) == 0) {
            const size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
                hasValue = true;
            }
        }
        const OptionRow* row = findOption(name);
        const bool takesValue = row && row->value;
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
                error = "option " + name + " needs a value";
                return ParseResult::Error;
            }
            value = args[++i];
        } else if (!takesValue && hasValue) {
            error = "option " + name + " takes no value";
            return ParseResult::Error;
        }

        if (name == "--help" || name == "-h") return ParseResult::Help;
        if (name.empty() || name[0] != '-') {
            if (!options.romSet.empty()) {
                error = "one ROM set at most: '" + options.romSet + "' and '" + name + "' were given";
                return ParseResult::Error;
            }
            struct stat status;
            if (name.size() + 1 >= kLongestRomSet) {
                error = "the ROM set's name is " + std::to_string(name.size()) + " characters long; at most " +
                        std::to_string(kLongestRomSet - 2) + " are supported";
                return ParseResult::Error;
            }
            if (::stat(name.c_str(), &status) != 0) {
                error = "'" + name + "' does not exist: give a ROM set's directory, one of its six files or a .zip "
                        "of them";
                return ParseResult::Error;
            }
            options.romSet = name;
            options.romSetArgument = static_cast<int>(i);
            continue;
        }
        if (name == "--version") return ParseResult::Version;
        if (name == "--boot") {
            options.boot = true;
        } else if (name == "--fullscreen") {
            options.fullScreen = true;
        } else if (name == "--workbench") {
            options.workbench = true;
        } else if (name == "--symbols") {
            if (value.empty()) {
                error = "--symbols needs a file name";
                return ParseResult::Error;
            }
            options.symbols = value;
        } else if (name == "--script") {
            if (value.empty()) {
                error = "--script needs a file name";
                return ParseResult::Error;
            }
            options.scripts.push_back(value);
        } else if (name == "--script-timeout") {
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end || !(seconds >= 0.001 && seconds <= 3600)) {
                error = "--script-timeout needs a number of seconds from 0.001 to 3600, not '" + value + "'";
                return ParseResult::Error;
            }
            options.scriptTimeout = seconds;
        } else if (name == "--profile") {
            if (value.empty()) {
                error = "--profile needs a file name";
                return ParseResult::Error;
            }
            options.profile = value;
        } else if (name == "--frames") {
            long frames = 0;
            if (!parseNumber(value, 1, 0xFFFFFFFFL, &frames)) {
                error = "--frames needs a whole number of frames from 1 to 4294967295, not '" + value + "'";
                return ParseResult::Error;
            }
            options.frames = static_cast<uint32_t>(frames);
        } else if (name == "--screenshot") {
            if (value.empty()) {
                error = "--screenshot needs a file name";
                return ParseResult::Error;
            }
            options.screenshot = value;
        } else if (name == "--speed") {
            if (value == "60") options.speed = Speed::Fps60;
            else if (value == "30") options.speed = Speed::Fps30;
            else if (value == "unlimited") options.speed = Speed::Unlimited;
            else {
                error = "--speed must be 30, 60 or unlimited, not '" + value + "'";
                return ParseResult::Error;
            }
            options.speedGiven = true;
        } else if (name == "--scale") {
            long scale = 0;
            if (!parseNumber(value, 1, kMaxScale, &scale)) {
                error = "--scale needs a whole number from 1 to 8, not '" + value + "'";
                return ParseResult::Error;
            }
            options.scale = static_cast<int>(scale);
            options.scaleGiven = true;
        } else if (name == "--gdb") {
            long port = 0;
            if (!parseNumber(value, 0, kMaxPort, &port)) {
                error = "--gdb needs a port number from 0 to 65535, not '" + value + "'";
                return ParseResult::Error;
            }
            options.gdbPort = static_cast<int>(port);
        } else if (name == "--load-state") {
            long slot = 0;
            if (!parseNumber(value, 0, kStateSlotCount - 1, &slot)) {
                error = "--load-state needs a slot number from 0 to 7, not '" + value + "'";
                return ParseResult::Error;
            }
            options.loadState = static_cast<int>(slot);
        } else if (name == "--record" || name == "--play") {
            if (value.empty()) {
                error = name + " needs a file name";
                return ParseResult::Error;
            }
            (name == "--record" ? options.recordMovie : options.playMovie) = value;
            options.boot = true;
        } else {
            error = "unknown option '" + args[i] + "'";
            return ParseResult::Error;
        }
    }
    if (!options.recordMovie.empty() && !options.playMovie.empty()) {
        error = "--record and --play cannot be given together";
        return ParseResult::Error;
    }
    if (!options.playMovie.empty() && options.loadState >= 0) {
        error = "--play starts where its movie starts: --load-state cannot be given with it";
        return ParseResult::Error;
    }
    if (options.loadState >= 0 && !options.boot) {
        error = "--load-state needs --boot: a state is loaded into the booted game";
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

std::vector<std::string> argumentsWithRomSet(const std::vector<std::string>& args, const LaunchOptions& options,
                                             const std::string& romSet) {
    std::vector<std::string> again;
    for (size_t i = 0; i < args.size(); ++i)
        if (static_cast<int>(i) != options.romSetArgument) again.push_back(args[i]);
    again.push_back(romSet);
    return again;
}

std::string usageText(const char* program) {
    constexpr size_t kWidth = 91, kHelpColumn = 23;
    std::string text = std::string("Usage: ") + program + " [options] [DIR|FILE|ZIP]\n";
    for (const std::string& line : wrapLines(kProgramDescription, kWidth)) text += line + "\n";
    text += "\nOptions:\n";
    for (const OptionRow& row : optionRows()) {
        std::string head = std::string("  ") + row.name + (row.value ? std::string(" ") + row.value : "");
        if (head.size() + 1 > kHelpColumn) head += "\n", head += std::string(kHelpColumn, ' ');
        else head.resize(kHelpColumn, ' ');
        for (const std::string& line : wrapLines(row.help, kWidth - kHelpColumn)) {
            text += head + line + "\n";
            head.assign(kHelpColumn, ' ');
        }
    }
    text += "\nKeys:\n" + keyHelpText("  ") + "\n";
    for (const std::string& line : wrapLines(kProgramFiles, kWidth)) text += line + "\n";
    return text;
}
