#include "man_page.h"

#include "hotkeys.h"
#include "option_table.h"

namespace {

// `text` safe in roff: backslashes written as \e, a line never starting
// with a control character, minus signs in options as \-.
std::string roff(const std::string& text, bool minus = false) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-' && minus) out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

}  // namespace

std::string manPage(const std::string& version) {
    std::string page = ".TH BEVOREL 6 \"\" \"bevorel " + roff(version) + "\" \"Games\"\n";
    page += ".SH NAME\nbevorel \\- emulator of an arcade board with a 68000 and 480 sprites\n";
    page += ".SH SYNOPSIS\n.B bevorel\n[\\fIoptions\\fR] [\\fIDIR\\fR|\\fIFILE\\fR|\\fIZIP\\fR]\n";
    page += ".SH DESCRIPTION\n" + roff(kProgramDescription) + "\n";
    page += ".SH OPTIONS\n";
    for (const OptionRow& row : optionRows()) {
        page += ".TP\n\\fB" + roff(row.name, true) + "\\fR";
        if (row.value) page += " \\fI" + roff(row.value) + "\\fR";
        page += "\n" + roff(row.help) + "\n";
    }
    page += ".SH KEYS\n";
    for (const KeyHelp& key : keyHelp()) page += ".TP\n\\fB" + roff(key.keys) + "\\fR\n" + roff(key.action) + "\n";
    page += ".SH FILES\n" + roff(kProgramFiles) + "\n";
    page += ".SH SEE ALSO\n\\fBretroarch\\fR(6), \\fBgdb\\fR(1)\n";
    return page;
}
