#include "dvb/protocol/shared_secret.h"

#include "cardbase/settings_line.h"

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

std::string secretFromSettings(const std::string& fileBytes) { return settingFromFile(fileBytes, "secret"); }
