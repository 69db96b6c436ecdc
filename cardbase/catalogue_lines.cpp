#include "cardbase/catalogue_lines.h"

#include <cstdlib>

bool orbitalPosition(const std::string& name, double* longitudeDeg)
{
    const size_t end = name.find_last_not_of(' ');
    if (end == std::string::npos) return false;
    const size_t start = name.find_last_of(' ', end) + 1;  // npos + 1 is 0
    const std::string word = name.substr(start, end + 1 - start);
    const char side = word.empty() ? '\0' : word.back();
    if (side != 'e' && side != 'w' && side != 'E' && side != 'W') return false;
    const std::string number = word.substr(0, word.size() - 1);
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos) return false;
    char* stop = nullptr;
    const double degrees = std::strtod(number.c_str(), &stop);
    if (*stop != '\0' || degrees > 180.0) return false;
    *longitudeDeg = side == 'e' || side == 'E' ? degrees : -degrees;
    return true;
}

static bool readDigits(const std::string& text, size_t* at, int32_t* value)
{
    const size_t start = *at;
    int64_t number = 0;
    while (*at < text.size() && *at - start < 6 && text[*at] >= '0' && text[*at] <= '9')
        number = number * 10 + (text[(*at)++] - '0');
    *value = static_cast<int32_t>(number);
    return *at > start;
}

// "10723h29900" -> frequency, polarization, symbol rate.
static bool readParameters(const std::string& text, CatalogueLine* line)
{
    size_t at = 0;
    if (!readDigits(text, &at, &line->frequencyMHz) || at >= text.size()) return false;
    const char letter = text[at++];
    line->polarization = letter == 'h' || letter == 'H' ? 0 : letter == 'v' || letter == 'V' ? 1 : 3;
    return readDigits(text, &at, &line->symbolRate) && line->symbolRate > 0;
}

std::vector<CatalogueLine> catalogueLines(const std::string& catalogueText)
{
    std::vector<CatalogueLine> lines;
    size_t at = 0;
    for (;;) {
        const size_t open = catalogueText.find('[', at);
        if (open == std::string::npos) break;
        const size_t close = catalogueText.find(']', open);
        const size_t end = catalogueText.find(';', open);
        if (close == std::string::npos || end == std::string::npos || close > end) break;
        at = end + 1;
        CatalogueLine line;
        line.name = catalogueText.substr(open + 1, close - open - 1);
        line.hasPosition = orbitalPosition(line.name, &line.longitudeDeg);
        if (!line.hasPosition) line.longitudeDeg = 0;
        if (close + 1 >= end || catalogueText[close + 1] != '=' ||
            !readParameters(catalogueText.substr(close + 2, end - close - 2), &line))
            continue;
        lines.push_back(line);
    }
    return lines;
}
