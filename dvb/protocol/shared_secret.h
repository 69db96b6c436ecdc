// The shared secret that lets a program on another machine drive
// azimora-dvb: dvbcard.dll sends it as its first line, "secret TEXT", and
// the helper answers "ok" or ends the connection. TEXT is 8 to 64
// printable ASCII characters without blanks. dvbcard.dll takes it from
// AZIMORA_DVB_SECRET or from a line "secret=TEXT" in dvbcard.ini beside it.
// Platform-neutral: both sides build it.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t shortestSecret = 8;
constexpr size_t longestSecret = 64;

bool validSecret(const std::string& secret);

std::string secretLine(const std::string& secret);
// True for a line of that form, with `secret` set to its TEXT (not checked).
bool parseSecretLine(const std::string& line, std::string* secret);

// Compares in a time that does not depend on where the two differ.
bool sameSecret(const std::string& given, const std::string& expected);

// The secret of dvbcard.ini's bytes, or "": read as every settings file
// beside a card is (settings_line.h): "secret" in any case, blanks around
// the key, the "=" and the value do not count, lines starting with ";" or
// "#" are comments, the first "secret" line counts; UTF-8 with or without
// its mark and UTF-16 with its mark alike.
std::string secretFromSettings(const std::string& fileBytes);
