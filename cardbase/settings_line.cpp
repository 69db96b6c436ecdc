#include "cardbase/settings_line.h"

#include <cstdint>

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

static void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Little-endian UTF-16 without its mark; a lone surrogate becomes U+FFFD.
static std::string utf8FromUtf16(const std::string& bytes)
{
    std::string out;
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

bool isUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = static_cast<uint8_t>(text[i]);
        size_t length;
        uint32_t code;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2, code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3, code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4, code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const uint8_t next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code < 0xE000))
            return false;
        i += length;
    }
    return true;
}

std::string settingsFileText(const std::string& fileBytes, bool* inCodePage)
{
    *inCodePage = false;
    if (fileBytes.compare(0, 2, "\xFF\xFE") == 0) return utf8FromUtf16(fileBytes.substr(2));
    // A UTF-8 mark before text that is no UTF-8 counts for nothing.
    const std::string text = fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? fileBytes.substr(3) : fileBytes;
    *inCodePage = !isUtf8(text);
    return text;
}

std::string settingFromFile(const std::string& fileBytes, const std::string& key)
{
    bool inCodePage = false;
    std::string value;
    findSettingLine(settingsFileText(fileBytes, &inCodePage), key, &value);
    return value;
}
