// What a survey of a whole satellite measures (azimora-dvb --survey): the
// transponder it starts from, the catalogue's for a satellite or one typed;
// then what the networks' own lists give at the satellite's position, or
// where none lists any, the transponders of a file, one typed entry a line;
// and the catalogue's own transponder for the satellite, so that a stale
// one is found out. Each is tuned as the program would tune it from its
// typed entry: a list entry the keypad cannot type (circular polarization,
// a frequency or symbol rate beyond its ranges) is counted and left out.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/margin/link_margin.h"
#include "dvb/helper/frontend/network_lists.h"

enum SurveyFound : uint8_t { FoundAsStart, FoundInCatalogue, FoundInLists, FoundInFile };

struct SurveyTransponder {
    CardTuning tuning;  // the six values the program would send
    std::string entry;  // as the keypad shows it: "11362H27500", "12245H27500AB"
    SurveyFound found = FoundAsStart;
    bool listedHere = false;                             // the networks' lists give it at the satellite's position
    ModcodWord listed = missingWord(GapNoNetworkTable);  // its list entry's modulation and code rate
};

// A transponder from its typed entry; false when the keypad would not take it.
bool surveyTransponderOf(const std::string& entry, SurveyFound found, SurveyTransponder* transponder);

// The switch letters of a DiSEqC code ("", "A", ... "BB"), and the code of
// letters (any case); -1 for letters the keypad has not.
std::string switchLetters(int32_t diseqcCode);
int32_t diseqcCodeOf(const std::string& letters);

// One transponder, whatever it was found as: the same polarization and a
// frequency within frequencyMatchMHz (lists and catalogues round differently).
constexpr int32_t frequencyMatchMHz = 4;
bool sameTransponder(const CardTuning& a, const CardTuning& b);

// The lists' transponders at a position (within half a degree), each once,
// in the order of their frequencies, with the switch letters of `diseqcCode`.
struct ListedTransponders {
    std::vector<SurveyTransponder> tunable;
    int circular = 0;   // circularly polarized: the keypad has H and V only
    int untypable = 0;  // beyond the keypad's frequency or symbol rate ranges
};
ListedTransponders listedAt(const HeardLists& lists, PositionTenths position, int32_t diseqcCode);

// Whether any list heard names the transponder, at whatever position.
bool listedAnywhere(const HeardLists& lists, const CardTuning& tuning);

// The --transponders file: one typed entry a line; blank lines and lines
// starting with # are left out; an entry without letters takes those of
// `diseqcCode`. False with `error` set to "line N: ..." at the first line
// that does not read.
constexpr size_t transponderFileLimit = 65536;
constexpr size_t transponderFileEntries = 200;
bool parseTransponderFile(const std::string& text, int32_t diseqcCode, std::vector<SurveyTransponder>* transponders,
                          std::string* error);

// The satellite a survey names: its catalogue line (by the rules --point
// follows: a name, or a position, of which the first line there is taken).
// False with `problem` set when the catalogue has none.
bool catalogueLineFor(const std::string& satellite, const std::vector<CatalogueLine>& catalogue, CatalogueLine* line,
                      std::string* problem);
// The first catalogue line at a position, for a survey started from a typed entry.
bool catalogueLineAt(PositionTenths position, const std::vector<CatalogueLine>& catalogue, CatalogueLine* line);

// The catalogue line's transponder as the program would tune it, with the
// switch letters of `diseqcCode`; false when its values do not read.
bool catalogueTransponder(const CatalogueLine& line, int32_t diseqcCode, SurveyTransponder* transponder);

PositionTenths positionOf(const CatalogueLine& line);
