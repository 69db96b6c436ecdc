// Whether a card substitute serves the phone page, and where: a line
// "phone=PORT" in the settings file beside its DLL, or the environment
// variable AZIMORA_PHONE ("PORT" or "HOST:PORT"), which wins over the file.
// Off unless asked for: a program that listens on the network makes the
// firewall ask. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

struct PhoneSetting {
    bool wanted = false;  // asked for, whether or not the address can be used
    std::string host;     // "" listens on every interface
    uint16_t port = 0;    // 1 .. 65535 when usable
    std::string problem;  // why the address asked for cannot be used, "" when it can
};

// "PORT" or "HOST:PORT". "off" and "0" say no. A value that is none of
// these still counts as asked for, with the problem said.
PhoneSetting phoneSettingOf(const std::string& value);

// The environment's value when it is set, else the file's "phone" line.
PhoneSetting phoneSettingFrom(const std::string& settingsFileBytes, const std::string& environmentValue);

// Whether the phone page shows the record of measurements (its section,
// /record.csv and /report): anyone who reaches the page could read it, the
// site in it too, so a line "record=off" (or "0", "no") in the settings
// file keeps it from the page. The record is kept on the PC all the same.
bool recordShownOnPhone(const std::string& settingsFileBytes);
