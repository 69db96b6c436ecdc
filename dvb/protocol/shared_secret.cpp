#include "dvb/protocol/shared_secret.h"

bool validSecret(const std::string& secret)
{
    if (secret.size() < shortestSecret || secret.size() > longestSecret) return false;
    for (char c : secret)
        if (c <= ' ' || c > '~') return false;
    return true;
}

static const char secretWord[] = "secret ";

std::string secretLine(const std::string& secret) { return secretWord + secret; }

bool parseSecretLine(const std::string& line, std::string* secret)
{
    if (line.compare(0, sizeof secretWord - 1, secretWord) != 0) return false;
    *secret = line.substr(sizeof secretWord - 1);
    return true;
}

bool sameSecret(const std::string& given, const std::string& expected)
{
    unsigned difference = given.size() == expected.size() ? 0u : 1u;
    for (size_t i = 0; i < given.size(); ++i) {
        const char other = expected.empty() ? '\0' : expected[i % expected.size()];
        difference |= static_cast<unsigned char>(given[i] ^ other);
    }
    return difference == 0 && !expected.empty();
}

static std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string secretFromSettings(const std::string& text)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = trimmed(line.substr(0, equals));
        for (char& c : key)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (key == "secret") return trimmed(line.substr(equals + 1));
    }
    return "";
}
