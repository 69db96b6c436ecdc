// How far above failure the link is: the measured C/N minus the C/N that the
// locked modulation and code rate need (modcod.h). Which modulation and code
// rate are locked is taken, in this order, from the tuner's own word after
// lock, the network's word (the satellite delivery system descriptor of this
// stream's own NIT entry) and the user's; otherwise it is unknown and no
// margin is given, never a guess. The C/N must be a measured figure in dB.
// The one rule of every card substitute and azimora-dvb, and the texts they
// show. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/margin/modcod.h"

enum ModcodSource : uint8_t { SourceUnknown, SourceTuner, SourceNetwork, SourceUser };

// Why a source gives no modulation and code rate.
enum ModcodGap : uint8_t {
    GapNone,             // it gives them
    GapNotAsked,         // the tuner is not asked (or not yet)
    GapNotReported,      // the tuner reports no modulation and code rate
    GapAutomatic,        // the tuner reports automatic values
    GapEcho,             // the tuner gives back exactly what it was asked
    GapTunerOutside,     // the tuner reports values with no threshold here
    GapNetworkReading,   // the network's table is not read yet
    GapNoNetworkTable,   // no network information
    GapNoOwnEntry,       // the table has no entry for this stream
    GapNoDescriptor,     // this stream's entry has no satellite delivery system descriptor
    GapDescriptorVague,  // its descriptor gives automatic or undefined values
    GapNetworkOutside,   // its descriptor gives values with no threshold here
    GapNotChosen,        // the user chose none
    GapNotTunedHere,     // another program tuned the frontend: its read-back cannot be told from an echo
    GapSystemUntold,     // the tuner's modulation and code rate do not tell DVB-S from DVB-S2
};

// One source's word: the modulation and code rate, or why there are none.
struct ModcodWord {
    bool known = false;
    Modcod modcod;
    ModcodGap gap = GapNotAsked;
};

ModcodWord knownWord(const Modcod& modcod);
ModcodWord missingWord(ModcodGap gap);

// What a tuner reports, or was asked, field by field: a definite value, an
// automatic one, or one that is neither in the table's terms.
enum FieldState : uint8_t { FieldDefinite, FieldAutomatic, FieldOther };
struct TunerModcodFields {
    FieldState systemState = FieldAutomatic;
    ModulationSystem system = ModDvbS;
    FieldState modulationState = FieldAutomatic;
    ModulationKind modulation = ModQpsk;
    FieldState rateState = FieldAutomatic;
    uint8_t rateNumerator = 0;
    uint8_t rateDenominator = 0;
};

// The tuner's word, read back while locked: only definite values count; a
// read-back identical to what was asked (a driver without a report of its
// own hands back what it was set to) is no word at all.
ModcodWord tunerWord(const TunerModcodFields& readBack, const TunerModcodFields& asked);

// The network's word, from the fields of a satellite delivery system
// descriptor: modulation system (0 DVB-S, 1 DVB-S2), modulation type (1
// QPSK, 2 8PSK; 0 is automatic) and FEC inner (1 1/2, 2 2/3, 3 3/4, 4 5/6,
// 5 7/8, 6 8/9, 7 3/5, 8 4/5, 9 9/10).
ModcodWord networkWord(uint8_t modulationSystem, uint8_t modulationType, uint8_t fecInner);
// The other way, for the simulated networks; false for what a descriptor
// cannot say (16APSK, 32APSK, DVB-S2 QPSK below 1/2).
bool descriptorFields(const Modcod& modcod, uint8_t* modulationSystem, uint8_t* modulationType, uint8_t* fecInner);

struct ModcodChoice {
    ModcodSource source = SourceUnknown;
    Modcod modcod;  // valid unless SourceUnknown
};

ModcodChoice chooseModcod(const ModcodWord& tuner, const ModcodWord& network, const ModcodWord& user);

// Installers aim for 3 dB or more.
constexpr double goodMarginDb = 3.0;
enum MarginVerdict : uint8_t { MarginFailing, MarginMarginal, MarginGood };
// Judged on the margin as shown (one decimal), so that "+3.0 dB" is always good.
MarginVerdict judgeMargin(double marginDb);

enum MarginState : uint8_t {
    MarginKnown,
    MarginNoLock,
    MarginNoDecibels,  // the tuner's C/N is not a measured figure in dB
    MarginNoModcod,    // no source gives the modulation and code rate
};

struct MarginInputs {
    bool locked = false;
    bool carrierToNoiseInDecibels = false;
    double carrierToNoiseDb = 0.0;
    // The true C/N is at least the figure (a driver that rounds down, or
    // stops at its ceiling): so is the margin.
    bool carrierToNoiseAtLeast = false;
    // At most the figure (a driver that stops at its floor): so is the margin.
    bool carrierToNoiseAtMost = false;
    ModcodWord tuner;
    ModcodWord network = missingWord(GapNoNetworkTable);
    ModcodWord user = missingWord(GapNotChosen);
};

struct LinkMargin {
    MarginState state = MarginNoLock;
    ModcodChoice choice;
    double thresholdDb = 0.0;  // with a choice
    double marginDb = 0.0;     // in MarginKnown, to a tenth of a dB
    bool atLeast = false;      // the margin is at least marginDb ("+2.1 dB or more")
    bool atMost = false;       // the margin is at most marginDb ("-1.5 dB or less")
    MarginVerdict verdict = MarginFailing;
    ModcodGap tunerGap = GapNotAsked;  // why the sources gave nothing
    ModcodGap networkGap = GapNoNetworkTable;
};

LinkMargin linkMargin(const MarginInputs& inputs);

const char* sourceWord(ModcodSource source);     // "tuner", "network", "user", "unknown"
const char* verdictWord(MarginVerdict verdict);  // "good", "marginal", "failing"
const char* gapText(ModcodGap gap);
// "+4.2 dB", "-0.7 dB", "+0.0 dB".
std::string marginDecibelsText(double marginDb);
// Why there is no margin: "no lock", "the tuner gives no C/N in dB",
// "modulation and code rate unknown".
std::string marginUnknownText(const LinkMargin& margin);
// What the missing modulation and code rate are missing from: "the tuner
// gives back only what it was asked; this stream's entry has no satellite
// delivery system descriptor".
std::string modcodGapsText(const LinkMargin& margin);

// "+4.2 dB", or "+2.1 dB or more" for a margin that is at least that, "-1.5
// dB or less" for one that is at most that.
std::string marginFigureText(const LinkMargin& margin);

// The lines azimora-dvb prints: "modulation: DVB-S2 8PSK 3/4 (tuner)" or
// "modulation: unknown (WHY)", and "margin: +4.2 dB (good)",
// "margin: +2.1 dB or more (marginal)" or "margin: unknown (WHY)".
std::string modulationLine(const LinkMargin& margin);
std::string marginLine(const LinkMargin& margin);
