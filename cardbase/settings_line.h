// The lines "key = value" of the small settings files beside the card
// substitutes (the phone line of simcard.ini, dvbcard.ini and bdacard.ini,
// bdacard.ini's tuner and modulation lines, dvbcard.ini's secret): one
// reading of them for every card, whichever way an editor saved the file.
// Platform-neutral.
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

// A settings file's text as UTF-8: UTF-16 with its byte order mark (as
// Notepad may save it) converted, a UTF-8 mark dropped. Text that is no
// UTF-8 comes back as it is, in the system's code page (*inCodePage set),
// for the caller to convert where it matters.
std::string settingsFileText(const std::string& fileBytes, bool* inCodePage);

bool isUtf8(const std::string& text);

// The value of the first line "KEY=VALUE" of a settings file's bytes, read
// as settingsFileText and findSettingLine read them; "" without one.
std::string settingFromFile(const std::string& fileBytes, const std::string& key);
