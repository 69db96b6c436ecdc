// A modulation and code rate of a satellite transponder, as the installer
// knows them from a listing ("S2-8PSK-3/4"), and the C/N each needs for
// quasi-error-free reception: one table of data with its sources, read by
// every card substitute, azimora-dvb and, through the server, the phone
// page. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum ModulationSystem : uint8_t { ModDvbS, ModDvbS2 };
enum ModulationKind : uint8_t { ModQpsk, Mod8psk, Mod16apsk, Mod32apsk };

struct Modcod {
    ModulationSystem system = ModDvbS;
    ModulationKind modulation = ModQpsk;
    uint8_t rateNumerator = 0;
    uint8_t rateDenominator = 0;
};

bool operator==(const Modcod& a, const Modcod& b);
inline bool operator!=(const Modcod& a, const Modcod& b) { return !(a == b); }

struct ModcodThreshold {
    Modcod modcod;
    // DVB-S2: the ideal Es/N0 (dB) of normal frames; DVB-S: the Eb/N0 (dB)
    // the standard requires, its modem implementation margin included.
    double tabledDb;
};

// Every modulation and code rate known here, in the table's order.
extern const ModcodThreshold modcodThresholds[];
extern const size_t modcodThresholdCount;

// Real demodulators need a few tenths of a dB more than the ideal DVB-S2
// figures: what broadcast receivers' manuals assume, added to those only
// (the DVB-S figures already carry the standard's own margin).
constexpr double dvbs2ImplementationAllowanceDb = 0.3;

// DVB-S's Eb/N0 as the Es/N0 a demodulator measures: QPSK carries 2 bits a
// symbol, of which the inner code keeps r and the Reed-Solomon code 188/204.
double dvbsEsN0FromEbN0(double ebN0Db, int rateNumerator, int rateDenominator);

// The C/N (Es/N0, dB) the modulation and code rate need, allowance or
// margin included; false when the table has no such row.
bool requiredCarrierToNoiseDb(const Modcod& modcod, double* db);
bool hasThreshold(const Modcod& modcod);

// "S2-8PSK-3/4", "S-QPSK-3/4": how a listing gives them, and how they
// travel between the parts (letters in any case are taken). Only a row of
// the table parses.
std::string modcodText(const Modcod& modcod);
bool parseModcod(const std::string& text, Modcod* modcod);
// "DVB-S2 8PSK 3/4": as they are shown.
std::string modcodName(const Modcod& modcod);
