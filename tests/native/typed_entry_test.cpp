#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "catalogue/typed_entry.h"

namespace {

struct Parsed {
    StartResult result;
    TuningParameters tuning;
    std::string banner;  // all 32 bytes
};

// Starts from values no entry gives, so that untouched fields show.
static TuningParameters markedTuning()
{
    TuningParameters tuning;
    tuning.frequencyMHz = -1;
    tuning.symbolRate = -2;
    tuning.polarization = -3;
    tuning.diseqcCode = -4;
    return tuning;
}

// The entry as the editor keeps it: untyped positions are blanks.
static Parsed parse(const std::string& typed)
{
    const std::string entry = (typed + std::string(13, ' ')).substr(0, 13);
    Parsed parsed;
    parsed.tuning = markedTuning();
    char banner[32];
    std::memset(banner, '#', sizeof banner);
    parsed.result = parseTypedEntry(entry.data(), parsed.tuning, banner);
    parsed.banner.assign(banner, sizeof banner);
    return parsed;
}

}  // namespace

TEST(TypedEntry, DefaultEntry)
{
    const Parsed p = parse("12245H27500");
    EXPECT_EQ(p.result, StartOk);
    EXPECT_EQ(p.tuning.frequencyMHz, 12245);
    EXPECT_EQ(p.tuning.symbolRate, 27500);
    EXPECT_EQ(p.tuning.polarization, Horizontal);
    EXPECT_EQ(p.tuning.diseqcCode, DiseqcNone);
    EXPECT_EQ(p.banner, "12245H27500" + std::string(20, ' ') + '\0');
}

TEST(TypedEntry, TheFourLayouts)
{
    const struct {
        const char* entry;
        int32_t mhz, rate, polarization, diseqc;
    } cases[] = {
        {"3719H4167", 3719, 4167, Horizontal, DiseqcNone},
        {"3740V29270BA", 3740, 29270, Vertical, DiseqcBA},
        {"11955H2170A", 11955, 2170, Horizontal, DiseqcA},
        {"11720V26000AB", 11720, 26000, Vertical, DiseqcAB},
        // Whatever stands behind the DiSEqC field is ignored.
        {"3719H4167  99", 3719, 4167, Horizontal, DiseqcNone},
        {"3719H4167B HV", 3719, 4167, Horizontal, DiseqcB},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.entry);
        EXPECT_EQ(p.result, StartOk) << c.entry;
        EXPECT_EQ(p.tuning.frequencyMHz, c.mhz) << c.entry;
        EXPECT_EQ(p.tuning.symbolRate, c.rate) << c.entry;
        EXPECT_EQ(p.tuning.polarization, c.polarization) << c.entry;
        EXPECT_EQ(p.tuning.diseqcCode, c.diseqc) << c.entry;
        EXPECT_EQ(p.banner.substr(0, 13), (c.entry + std::string(13, ' ')).substr(0, 13)) << c.entry;
    }
}

TEST(TypedEntry, DiseqcPairs)
{
    const struct {
        const char* field;
        int32_t code;
    } cases[] = {
        {"  ", DiseqcNone}, {" A", DiseqcNone}, {" 7", DiseqcNone}, {"A ", DiseqcA},  {"B ", DiseqcB},
        {"AA", DiseqcAA},   {"BA", DiseqcBA},   {"AB", DiseqcAB},   {"BB", DiseqcBB},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(std::string("12245H27500") + c.field);
        EXPECT_EQ(p.result, StartOk) << c.field;
        EXPECT_EQ(p.tuning.diseqcCode, c.code) << c.field;
    }
    // An unknown pair is rejected before the rate is read.
    for (const char* entry : {"3740V29270AH", "3740V29270B1", "11720V2600AV"}) {
        const Parsed p = parse(entry);
        EXPECT_EQ(p.result, StartBadEntry) << entry;
        EXPECT_EQ(p.tuning.diseqcCode, -4) << entry;
        EXPECT_EQ(p.tuning.symbolRate, -2) << entry;
    }
}

TEST(TypedEntry, RangesFollowTheBandOfTheLayout)
{
    for (const char* good : {"3399H27500", "4201V27500", "3400H27500", "4200H27500", "10700H27500", "15000H27500",
                             "12245H1000", "12245H45000"}) {
        EXPECT_EQ(parse(good).result, StartOk) << good;
    }
    for (const char* bad : {"3398H27500", "4202V27500", "10699H27500", "15001H27500", "04000H27500", "12245H0999",
                            "12245H45001", "3740V999"}) {
        EXPECT_EQ(parse(bad).result, StartBadEntry) << bad;
    }
}

TEST(TypedEntry, RejectedEntriesKeepWhatWasAlreadyStored)
{
    // Stopped at the frequency: only the frequency has been stored.
    Parsed p = parse("15001H27500BB");
    EXPECT_EQ(p.tuning.frequencyMHz, 15001);
    EXPECT_EQ(p.tuning.diseqcCode, -4);
    EXPECT_EQ(p.tuning.symbolRate, -2);
    // Stopped at the rate: the DiSEqC code is kept for a later catalogue start.
    p = parse("3740V45001BB");
    EXPECT_EQ(p.result, StartBadEntry);
    EXPECT_EQ(p.tuning.frequencyMHz, 3740);
    EXPECT_EQ(p.tuning.diseqcCode, DiseqcBB);
    EXPECT_EQ(p.tuning.symbolRate, 45001);
    // "3740V999": the blank behind 999 is the field, so the rate is 999.
    p = parse("3740V999");
    EXPECT_EQ(p.tuning.diseqcCode, DiseqcNone);
    EXPECT_EQ(p.tuning.symbolRate, 999);
    // Neither polarization nor banner is touched by any rejection.
    for (const char* bad : {"3740V999", "3740V45001BB", "15001H27500", "3740V29270AH", "", "HV", "37400V"}) {
        p = parse(bad);
        EXPECT_EQ(p.result, StartBadEntry) << bad;
        EXPECT_EQ(p.tuning.polarization, -3) << bad;
        EXPECT_EQ(p.banner, std::string(32, '#')) << bad;
    }
    // No letter at position 4 or 5: nothing at all is stored.
    p = parse("374000V27500");
    EXPECT_EQ(p.tuning.frequencyMHz, -1);
    // C band without a DiSEqC field at 9 or 10.
    p = parse("3740V2927012");
    EXPECT_EQ(p.result, StartBadEntry);
    EXPECT_EQ(p.tuning.frequencyMHz, 3740);
    EXPECT_EQ(p.tuning.diseqcCode, -4);
}

namespace {

// A second reading of the typed entry layouts, straight from their table.
struct Layout {
    int letter, rateStart, rateLength, field;
    bool cBand;
};
static const Layout layouts[] = {
    {4, 5, 4, 9, true},
    {4, 5, 5, 10, true},
    {5, 6, 4, 10, false},
    {5, 6, 5, 11, false},
};

static bool isHV(char c) { return c == 'H' || c == 'V'; }
static bool isFieldStart(char c) { return c == ' ' || c == 'A' || c == 'B'; }

static long valueOf(const std::string& entry, int start, int length)
{
    return std::strtol(entry.substr(start, length).c_str(), nullptr, 10);
}

static int32_t tableCode(char first, char second)
{
    if (first == ' ') return 0;
    const std::string pair{first, second};
    const char* pairs[] = {"A ", "B ", "AA", "BA", "AB", "BB"};
    for (int i = 0; i < 6; ++i) {
        if (pair == pairs[i]) return i + 1;
    }
    return -1;
}

// Works out the expected outcome and the tuning fields left behind.
static StartResult expectedParse(const std::string& entry, TuningParameters& tuning)
{
    const bool cBand = isHV(entry[4]);
    if (!cBand && !isHV(entry[5])) return StartBadEntry;
    // Whatever the rest holds, the band's frequency is stored and checked first.
    const long mhz = valueOf(entry, 0, cBand ? 4 : 5);
    tuning.frequencyMHz = static_cast<int32_t>(mhz);
    if (cBand ? (mhz < 3399 || mhz > 4201) : (mhz < 10700 || mhz > 15000)) return StartBadEntry;
    const Layout* chosen = nullptr;
    for (const Layout& layout : layouts) {
        const bool decided =
            layout.cBand == cBand &&
            (layout.rateLength == 4 ? isFieldStart(entry[layout.field])
                                    : !isFieldStart(entry[layout.field - 1]) && isFieldStart(entry[layout.field]));
        if (decided) {
            chosen = &layout;
            break;
        }
    }
    if (chosen == nullptr) return StartBadEntry;
    const int32_t code = tableCode(entry[chosen->field], entry[chosen->field + 1]);
    if (code < 0) return StartBadEntry;
    tuning.diseqcCode = code;
    const long rate = valueOf(entry, chosen->rateStart, chosen->rateLength);
    tuning.symbolRate = static_cast<int32_t>(rate);
    if (rate < 1000 || rate > 45000) return StartBadEntry;
    tuning.polarization = entry[chosen->letter] == 'V' ? Vertical : Horizontal;
    return StartOk;
}

static std::string randomEntry(std::mt19937& random)
{
    static const std::string keypad = "0123456789HVAB ";
    std::string entry(13, ' ');
    if (random() % 2 == 0) {
        for (char& c : entry) c = keypad[random() % keypad.size()];
        return entry;
    }
    // Mostly well-formed entries near the range limits, then a few characters changed.
    const bool cBand = random() % 2 == 0;
    const long mhz = cBand ? 3300 + random() % 1000 : 10600 + random() % 4500;
    const long rate = 900 + random() % 44200;
    std::string text = std::to_string(mhz);
    text += random() % 2 ? 'H' : 'V';
    std::string rateText = std::to_string(rate);
    if (rateText.size() < 5 && random() % 4 == 0) rateText = "0" + rateText;
    text += rateText;
    text += " AB"[random() % 3];
    text += " AB"[random() % 3];
    entry = (text + std::string(13, ' ')).substr(0, 13);
    for (unsigned changes = random() % 3; changes > 0; --changes) {
        entry[random() % 13] = keypad[random() % keypad.size()];
    }
    return entry;
}

}  // namespace

TEST(TypedEntry, AgreesWithTheLayoutTableOnRandomKeypadEntries)
{
    std::mt19937 random(2024);
    int accepted = 0;
    for (int round = 0; round < 100000; ++round) {
        const std::string entry = randomEntry(random);
        TuningParameters expected = markedTuning();
        const StartResult expectedResult = expectedParse(entry, expected);
        TuningParameters actual = markedTuning();
        char banner[32];
        std::memset(banner, '#', sizeof banner);
        const StartResult result = parseTypedEntry(entry.data(), actual, banner);
        ASSERT_EQ(result, expectedResult) << '"' << entry << '"';
        ASSERT_EQ(actual.frequencyMHz, expected.frequencyMHz) << '"' << entry << '"';
        ASSERT_EQ(actual.diseqcCode, expected.diseqcCode) << '"' << entry << '"';
        ASSERT_EQ(actual.symbolRate, expected.symbolRate) << '"' << entry << '"';
        ASSERT_EQ(actual.polarization, expected.polarization) << '"' << entry << '"';
        const std::string expectedBanner =
            result == StartOk ? entry + std::string(18, ' ') + '\0' : std::string(32, '#');
        ASSERT_EQ(std::string(banner, 32), expectedBanner) << '"' << entry << '"';
        accepted += result == StartOk;
    }
    // The draw must exercise acceptance as well as every kind of rejection.
    EXPECT_GT(accepted, 10000);
}
