#include "cardbase/catalogue_lines.h"

#include "app/number_text.h"

bool orbitalPosition(const std::string& name, double* longitudeDeg)
{
    const size_t end = name.find_last_not_of(' ');
    if (end == std::string::npos) return false;
    const size_t start = name.find_last_of(' ', end) + 1;  // npos + 1 is 0
    const std::string word = name.substr(start, end + 1 - start);
    const char side = word.empty() ? '\0' : word.back();
    if (side != 'e' && side != 'w' && side != 'E' && side != 'W') return false;
    double degrees = 0;
    if (!readDecimalNumber(word.substr(0, word.size() - 1), DecimalForm{false, false, 0, 0}, &degrees) ||
        degrees > 180.0)
        return false;
    *longitudeDeg = side == 'e' || side == 'E' ? degrees : -degrees;
    return true;
}

// Up to six digits at `at`, which moves past them; false when none are there.
static bool readDigits(const std::string& text, size_t* at, int32_t* value)
{
    uint64_t number = 0;
    const size_t count = leadingDigits(text.data() + *at, text.size() - *at, 6, UINT64_MAX, &number);
    *value = static_cast<int32_t>(number);
    *at += count;
    return count > 0;
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
