// Rewriting one satellite's line of satellite.ini with a replacement
// transponder (azimora-dvb --survey --update-catalogue), in exactly the form
// Azimora reads: every entry "[" NAME "]=" PARAMETERS ";", the first "["
// the file's first byte, every ";" but the last followed by CR, LF and the
// next "[", no "[", "]" or ";" anywhere else; the new parameters a 4-digit
// C band or 5-digit Ku band frequency within the catalogue's ranges, "h" or
// "v" (in the case the line had), and a symbol rate of 1000 to 45000,
// together within the 11 characters Azimora reads. The rewritten text is
// read back with Azimora's own rules (its list and its reading of an entry)
// before it is given: a catalogue Azimora would misread is never written.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

// "" when the text keeps Azimora's line rules throughout, else what breaks
// them ("line 3: ...").
std::string catalogueRuleBreak(const std::string& text);

// The text with the first line named `name` (as between its brackets)
// given the transponder. False with `problem` set when there is no such
// line, the text breaks the rules already, or the result would not read as
// Azimora reads it.
bool rewriteCatalogueLine(const std::string& text, const std::string& name, int32_t frequencyMHz, int32_t polarization,
                          int32_t symbolRate, std::string* rewritten, std::string* problem);
