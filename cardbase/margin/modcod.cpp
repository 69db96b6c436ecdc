#include "cardbase/margin/modcod.h"

#include <cctype>
#include <cmath>

bool operator==(const Modcod& a, const Modcod& b)
{
    return a.system == b.system && a.modulation == b.modulation && a.rateNumerator == b.rateNumerator &&
           a.rateDenominator == b.rateDenominator;
}

static constexpr Modcod s2(ModulationKind modulation, uint8_t numerator, uint8_t denominator)
{
    return Modcod{ModDvbS2, modulation, numerator, denominator};
}

static constexpr Modcod s1(uint8_t numerator, uint8_t denominator)
{
    return Modcod{ModDvbS, ModQpsk, numerator, denominator};
}

const ModcodThreshold modcodThresholds[] = {
    // DVB-S2, normal frames (64800 bits), ideal Es/N0 for a packet error rate
    // of 1e-7 on an AWGN channel: ETSI EN 302 307-1, Table 13.
    {s2(ModQpsk, 1, 4), -2.35},
    {s2(ModQpsk, 1, 3), -1.24},
    {s2(ModQpsk, 2, 5), -0.30},
    {s2(ModQpsk, 1, 2), 1.00},
    {s2(ModQpsk, 3, 5), 2.23},
    {s2(ModQpsk, 2, 3), 3.10},
    {s2(ModQpsk, 3, 4), 4.03},
    {s2(ModQpsk, 4, 5), 4.68},
    {s2(ModQpsk, 5, 6), 5.18},
    {s2(ModQpsk, 8, 9), 6.20},
    {s2(ModQpsk, 9, 10), 6.42},
    {s2(Mod8psk, 3, 5), 5.50},
    {s2(Mod8psk, 2, 3), 6.62},
    {s2(Mod8psk, 3, 4), 7.91},
    {s2(Mod8psk, 5, 6), 9.35},
    {s2(Mod8psk, 8, 9), 10.69},
    {s2(Mod8psk, 9, 10), 10.98},
    {s2(Mod16apsk, 2, 3), 8.97},
    {s2(Mod16apsk, 3, 4), 10.21},
    {s2(Mod16apsk, 4, 5), 11.03},
    {s2(Mod16apsk, 5, 6), 11.61},
    {s2(Mod16apsk, 8, 9), 12.89},
    {s2(Mod16apsk, 9, 10), 13.13},
    {s2(Mod32apsk, 3, 4), 12.73},
    {s2(Mod32apsk, 4, 5), 13.64},
    {s2(Mod32apsk, 5, 6), 14.28},
    {s2(Mod32apsk, 8, 9), 15.69},
    {s2(Mod32apsk, 9, 10), 16.05},
    // DVB-S, QPSK, required Eb/N0 for quasi-error-free reception after the
    // Viterbi decoder (BER 2e-4 before Reed-Solomon), the modem's
    // implementation margin included: ETSI EN 300 421, Table 2.
    {s1(1, 2), 4.5},
    {s1(2, 3), 5.0},
    {s1(3, 4), 5.5},
    {s1(5, 6), 6.0},
    {s1(7, 8), 6.4},
};
const size_t modcodThresholdCount = sizeof modcodThresholds / sizeof modcodThresholds[0];

double dvbsEsN0FromEbN0(double ebN0Db, int rateNumerator, int rateDenominator)
{
    const double rate = static_cast<double>(rateNumerator) / rateDenominator;
    return ebN0Db + 10.0 * std::log10(2.0 * rate * 188.0 / 204.0);
}

static const ModcodThreshold* rowOf(const Modcod& modcod)
{
    for (size_t i = 0; i < modcodThresholdCount; ++i)
        if (modcodThresholds[i].modcod == modcod) return &modcodThresholds[i];
    return nullptr;
}

bool hasThreshold(const Modcod& modcod) { return rowOf(modcod) != nullptr; }

bool requiredCarrierToNoiseDb(const Modcod& modcod, double* db)
{
    const ModcodThreshold* row = rowOf(modcod);
    if (!row) return false;
    if (modcod.system == ModDvbS2) *db = row->tabledDb + dvbs2ImplementationAllowanceDb;
    else *db = dvbsEsN0FromEbN0(row->tabledDb, modcod.rateNumerator, modcod.rateDenominator);
    return true;
}

static const char* const modulationWords[] = {"QPSK", "8PSK", "16APSK", "32APSK"};

static std::string rateText(const Modcod& modcod)
{
    return std::to_string(modcod.rateNumerator) + "/" + std::to_string(modcod.rateDenominator);
}

std::string modcodText(const Modcod& modcod)
{
    return std::string(modcod.system == ModDvbS2 ? "S2-" : "S-") + modulationWords[modcod.modulation] + "-" +
           rateText(modcod);
}

std::string modcodName(const Modcod& modcod)
{
    return std::string(modcod.system == ModDvbS2 ? "DVB-S2 " : "DVB-S ") + modulationWords[modcod.modulation] + " " +
           rateText(modcod);
}

bool parseModcod(const std::string& text, Modcod* modcod)
{
    // Short enough that comparing with every row's text is the whole parse.
    std::string upper;
    for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < modcodThresholdCount; ++i) {
        if (modcodText(modcodThresholds[i].modcod) != upper) continue;
        *modcod = modcodThresholds[i].modcod;
        return true;
    }
    return false;
}
