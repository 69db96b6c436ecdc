#include "dvb/common/frontend_name.h"

static char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool frontendNameContains(const std::string& text, const char* part)
{
    if (!part) return false;
    std::string lowText, lowPart;
    for (char c : text) lowText += lowered(c);
    for (const char* at = part; *at; ++at) lowPart += lowered(*at);
    return !lowPart.empty() && lowText.find(lowPart) != std::string::npos;
}
