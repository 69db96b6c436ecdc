// The lines "key = value" of the small settings files beside the card
// substitutes (the phone line of simcard.ini, dvbcard.ini and bdacard.ini,
// bdacard.ini's tuner and modulation lines, the helper's secret): one
// reading of them for every card. Platform-neutral.
#pragma once
#include <string>

// The value of the first line "KEY=VALUE" of `text`, blanks around it not
// counted; false when no line has the key. The key matches in any case and
// blanks around it do not count; lines end in LF, CR LF or CR; lines
// starting with ";" or "#" are comments. The caller decodes the file first.
bool findSettingLine(const std::string& text, const std::string& key, std::string* value);

// Whether two texts are the same, letters of the ASCII range in any case.
bool sameIgnoringAsciiCase(const std::string& a, const std::string& b);

// The text without the blanks and tabs at either end.
std::string withoutOuterBlanks(const std::string& text);
