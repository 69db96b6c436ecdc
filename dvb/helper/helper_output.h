// What azimora-dvb's commands print: a complaint on stderr, named after the
// program, and a result line on stdout, flushed at once so that a person or
// a script reading it follows each line as it comes.
#pragma once
#include <string>

void complain(const std::string& message);
void say(const std::string& line);
