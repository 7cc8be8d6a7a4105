// The program's command-line options, one row each: the parser knows from
// it which take a value, and --help and the man page list it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct OptionRow {
    const char* name;   // "--frames"
    const char* value;  // what follows it ("N", "FILE"); null: it takes none
    const char* help;   // one paragraph; the lists wrap it
};

std::span<const OptionRow> optionRows();
// The row of `name`; null for an option the program does not have.
const OptionRow* findOption(std::string_view name);

// What the program does with its one argument, a paragraph (usage and man page).
extern const char* const kProgramDescription;
// Where the program keeps its files, a paragraph.
extern const char* const kProgramFiles;

// `text` broken at blanks into lines of at most `width` characters (a
// longer word on a line of its own).
std::vector<std::string> wrapLines(std::string_view text, size_t width);
