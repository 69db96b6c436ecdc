#include "cardbase/settings_line.h"

static bool isBlank(char c) { return c == ' ' || c == '\t'; }

static char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string withoutOuterBlanks(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

bool findSettingLine(const std::string& text, const std::string& key, std::string* value)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = withoutOuterBlanks(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (!sameIgnoringAsciiCase(withoutOuterBlanks(line.substr(0, equals)), key)) continue;
        *value = withoutOuterBlanks(line.substr(equals + 1));
        return true;
    }
    return false;
}
