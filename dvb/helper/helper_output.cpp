#include "dvb/helper/helper_output.h"

#include <cstdio>

void complain(const std::string& message) { std::fprintf(stderr, "azimora-dvb: %s\n", message.c_str()); }

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}
