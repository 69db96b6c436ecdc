// How every table of known frontends is looked up, the helper's and the
// simulated frontend's alike: by a text the name the driver gives
// (FE_GET_INFO) contains, ASCII case ignored. Platform-neutral.
#pragma once
#include <string>

bool frontendNameContains(const std::string& name, const char* part);
