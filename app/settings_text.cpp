#include "settings_text.h"

#include <strings.h>

#include <cctype>
#include <cstring>

namespace {

constexpr size_t kNone = std::string::npos;
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The line end at `at`: CR LF, or LF or CR alone.
std::string lineEndAt(const std::string& text, size_t at) {
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') return "\r\n";
    return text.substr(at, 1);
}

bool endsWithLineEnd(const std::string& text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

bool sameName(const std::string& text, size_t begin, size_t end, const std::string& name) {
    return end - begin == name.size() && strncasecmp(text.data() + begin, name.data(), name.size()) == 0;
}

// The first of `chars` in [from, end), or a ';' after white space (a comment
// after a value), or `end`: as the reader finds them.
size_t findCharOrComment(const std::string& text, size_t from, size_t end, const char* chars) {
    bool afterSpace = false;
    for (size_t i = from; i < end; ++i) {
        const char c = text[i];
        if ((chars && c != '\0' && std::strchr(chars, c)) || (afterSpace && c == ';')) return i;
        afterSpace = isSpace(c);
    }
    return end;
}

// Where the key's last value line and the section's last lines are.
struct Places {
    size_t valueBegin = kNone, valueEnd = kNone;  // the value, without the spaces around it
    size_t commentBegin = kNone;                  // a comment after it, if any
    size_t insertAt = kNone;  // after the section's last setting (or its header)
};

Places findPlaces(const std::string& text, const std::string& section, const std::string& name) {
    Places places;
    bool inSection = false;
    for (size_t lineBegin = 0; lineBegin < text.size();) {
        const size_t lineEnd = text.find_first_of("\r\n", lineBegin);
        const size_t next = lineEnd == kNone ? text.size() : lineEnd + lineEndAt(text, lineEnd).size();
        size_t begin = lineBegin, end = lineEnd == kNone ? text.size() : lineEnd;
        if (lineBegin == 0 && text.compare(0, 3, kByteOrderMark) == 0) begin = 3;
        while (begin < end && isSpace(text[begin])) ++begin;
        while (end > begin && isSpace(text[end - 1])) --end;
        lineBegin = next;
        if (begin == end || text[begin] == ';' || text[begin] == '#') continue;
        if (text[begin] == '[') {
            const size_t close = findCharOrComment(text, begin + 1, end, "]");
            if (close == end) continue;  // not a section line: the section goes on
            inSection = sameName(text, begin + 1, close, section);
            if (inSection) places.insertAt = next;
            continue;
        }
        const size_t delimiter = findCharOrComment(text, begin, end, "=:");
        if (delimiter == end || !inSection) continue;
        places.insertAt = next;
        size_t nameEnd = delimiter;
        while (nameEnd > begin && isSpace(text[nameEnd - 1])) --nameEnd;
        if (!sameName(text, begin, nameEnd, name)) continue;
        // As the reader does, the comment is looked for from the delimiter
        // on: in "name = ; note" the note is a comment, not the value.
        const size_t comment = findCharOrComment(text, delimiter + 1, end, nullptr);
        size_t valueBegin = delimiter + 1;
        while (valueBegin < comment && isSpace(text[valueBegin])) ++valueBegin;
        size_t valueEnd = comment;
        while (valueEnd > valueBegin && isSpace(text[valueEnd - 1])) --valueEnd;
        places.valueBegin = valueBegin;
        places.valueEnd = valueEnd;
        places.commentBegin = comment < end ? comment : kNone;
    }
    return places;
}

}  // namespace

std::string withSettingValue(const std::string& text, const std::string& section, const std::string& name,
                             const std::string& value) {
    const Places places = findPlaces(text, section, name);
    std::string result = text;
    if (places.valueBegin != kNone) {
        std::string replacement = value;
        // "name =" with no value yet: a space before the new one.
        if (places.valueBegin == places.valueEnd && !isSpace(text[places.valueBegin - 1])) replacement.insert(0, " ");
        size_t replacedEnd = places.valueEnd;
        if (places.commentBegin != kNone) {
            // The comment keeps its column when the gap before it is spaces.
            const std::string gap = text.substr(places.valueEnd, places.commentBegin - places.valueEnd);
            if (gap.find_first_not_of(' ') == kNone) {
                const size_t room = gap.size() + (places.valueEnd - places.valueBegin);
                replacement += std::string(room > replacement.size() ? room - replacement.size() : 1, ' ');
                replacedEnd = places.commentBegin;
            }
        }
        return result.replace(places.valueBegin, replacedEnd - places.valueBegin, replacement);
    }
    const size_t firstLineEnd = text.find_first_of("\r\n");
    const std::string lineEnd = firstLineEnd == kNone ? "\n" : lineEndAt(text, firstLineEnd);
    const std::string line = name + " = " + value + lineEnd;
    if (places.insertAt != kNone) {
        // The section's last line may be the text's, with no line end.
        const bool unended = places.insertAt == text.size() && !endsWithLineEnd(text);
        return result.insert(places.insertAt, (unended ? lineEnd : "") + line);
    }
    if (!result.empty() && !endsWithLineEnd(result)) result += lineEnd;
    if (!result.empty()) result += lineEnd;
    return result + "[" + section + "]" + lineEnd + line;
}
