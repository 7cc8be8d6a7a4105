// A settings file's text changed one key at a time, the way a person would
// edit it: only the key's own line changes, and everything else (comments,
// blank lines, unknown keys and sections, the order, the line endings) stays
// byte for byte. Lines are read as the settings reader reads them: a line
// ends at LF, CR LF or CR alone.
#pragma once

#include <string>

// The text with `value` for the key `name` of `section` (both matched
// without regard to case). When the key is there, its last line gets the
// new value, and a comment after it keeps its column while the value leaves
// room. When it is not, "name = value" goes after the last setting of the
// section's last [section] line, or, without one, in a new section at the
// end. Added lines end as the text's first line does.
std::string withSettingValue(const std::string& text, const std::string& section, const std::string& name,
                             const std::string& value);
