#include <climits>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

#include "catalogue/catalogue_entry.h"
#include "tests/native/committed_file.h"

namespace {

// A catalogue as the program writes it: CR LF after every line and one more.
static std::string catalogueOf(std::initializer_list<const char*> lines)
{
    std::string file;
    for (const char* line : lines) {
        file += std::string(line) + "\r\n";
    }
    return file + "\r\n";
}

struct Examined {
    CatalogueOutcome outcome;
    TuningParameters tuning;
    std::string banner;  // all 32 bytes
};

// Starts from values no catalogue entry gives, so that untouched fields show.
static Examined examine(const std::string& file, int32_t index)
{
    Examined result;
    result.tuning.frequencyMHz = -1;
    result.tuning.symbolRate = -2;
    result.tuning.polarization = -3;
    result.tuning.diseqcCode = DiseqcBA;
    char banner[32];
    std::memset(banner, '#', sizeof banner);
    // An exact-size copy lets the address sanitizer catch any read past the end.
    std::vector<char> bytes(file.begin(), file.end());
    result.outcome = examineCatalogueEntry(bytes.data(), bytes.size(), index, result.tuning, banner);
    result.banner.assign(banner, sizeof banner);
    return result;
}

static std::string bannerOf(const std::string& name)
{
    std::string banner = name.substr(0, 32);
    if (banner.size() < 31) {
        banner += std::string(31 - banner.size(), ' ');
    }
    if (banner.size() < 32) {
        banner += '\0';
    }
    return banner;
}

static void expectUntouched(const Examined& e)
{
    EXPECT_EQ(e.outcome, CatalogueBadFrequency);
    EXPECT_EQ(e.tuning.frequencyMHz, -1);
    EXPECT_EQ(e.tuning.symbolRate, -2);
    EXPECT_EQ(e.tuning.polarization, -3);
    EXPECT_EQ(e.banner, std::string(32, '#'));
}

}  // namespace

TEST(CatalogueEntry, EveryDefaultEntryIsReadWithItsOwnValues)
{
    const std::string file = committedFile("resources/satellite.ini");
    size_t lineStart = 0;
    for (int32_t index = 0; index < 100; ++index) {
        const size_t close = file.find(']', lineStart);
        const std::string name = file.substr(lineStart + 1, close - lineStart - 1);
        char* rest = nullptr;
        const long frequency = std::strtol(file.c_str() + close + 2, &rest, 10);
        const int polarization = *rest == 'v' ? Vertical : Horizontal;
        const long rate = std::strtol(rest + 1, nullptr, 10);

        const Examined e = examine(file, index);
        EXPECT_EQ(e.outcome, CatalogueOk) << index;
        EXPECT_EQ(e.tuning.frequencyMHz, frequency) << index;
        EXPECT_EQ(e.tuning.symbolRate, rate) << index;
        EXPECT_EQ(e.tuning.polarization, polarization) << index;
        EXPECT_EQ(e.tuning.diseqcCode, DiseqcBA) << index;
        EXPECT_EQ(e.banner, bannerOf(name)) << index;
        lineStart = file.find('[', close);
    }
    // The three names longer than the banner fill all 32 bytes, with no zero byte.
    EXPECT_EQ(examine(file, 29).banner, "Eurobird 1, Astra 2A,B,D   28.2e");
    EXPECT_EQ(examine(file, 95).banner, "Telecom 2D,Atlantic Bird 2   8.0");
    // There is no entry behind the last one.
    expectUntouched(examine(file, 100));
}

TEST(CatalogueEntry, FrequencyRangesOfBothBands)
{
    for (const char* good : {"[S]=3400h27500;", "[S]=4200h27500;", "[S]=10700h27500;", "[S]=15000h27500;",
                             "[S]=03400h27500;", "[S]=3999v1000;", "[S]=3999v45000;"}) {
        EXPECT_EQ(examine(catalogueOf({good}), 0).outcome, CatalogueOk) << good;
    }
    // The typed entry's wider C band does not apply to the catalogue.
    for (const char* bad :
         {"[S]=3399h27500;", "[S]=4201h27500;", "[S]=10699h27500;", "[S]=15001h27500;", "[S]=h27500;"}) {
        const Examined e = examine(catalogueOf({bad}), 0);
        EXPECT_EQ(e.outcome, CatalogueBadFrequency) << bad;
        EXPECT_EQ(e.tuning.frequencyMHz, std::atoi(bad + 4)) << bad;
        EXPECT_EQ(e.tuning.symbolRate, -2) << bad;
        EXPECT_EQ(e.banner, bannerOf("S")) << bad;
    }
    for (const char* bad : {"[S]=3999v999;", "[S]=3999v45001;", "[S]=3999v;"}) {
        const Examined e = examine(catalogueOf({bad, "[T]=3740v29270;"}), 0);
        EXPECT_EQ(e.outcome, CatalogueBadSymbolRate) << bad;
        EXPECT_EQ(e.tuning.frequencyMHz, 3999) << bad;
        EXPECT_EQ(e.tuning.polarization, Vertical) << bad;
    }
}

TEST(CatalogueEntry, ExactlyElevenParameterBytesAreExamined)
{
    // Short parameters: CR, LF and the next line follow the rate digits.
    Examined e = examine(catalogueOf({"[S]=3719h999;", "[T]=3740v29270;"}), 0);
    EXPECT_EQ(e.outcome, CatalogueBadSymbolRate);
    EXPECT_EQ(e.tuning.symbolRate, 999);
    // Long parameters: the twelfth byte and beyond are not looked at.
    e = examine(catalogueOf({"[S]=3740v2927099;"}), 0);
    EXPECT_EQ(e.outcome, CatalogueBadSymbolRate);
    EXPECT_EQ(e.tuning.symbolRate, 292709);
    // A ";" inside the window is passed over, not taken as the rate's end.
    e = examine(catalogueOf({"[S]=3740v27;500"}), 0);
    EXPECT_EQ(e.tuning.symbolRate, 27500);
    // Blanks before the rate are skipped; a sign is taken.
    EXPECT_EQ(examine(catalogueOf({"[S]=3740v 27500;"}), 0).tuning.symbolRate, 27500);
    EXPECT_EQ(examine(catalogueOf({"[S]=3740v-2750;"}), 0).tuning.symbolRate, -2750);
    // Eleven digits: no letter is met, the polarization stays, the value saturates.
    e = examine(catalogueOf({"[S]=12345678901;"}), 0);
    EXPECT_EQ(e.outcome, CatalogueBadFrequency);
    EXPECT_EQ(e.tuning.frequencyMHz, INT32_MAX);
    EXPECT_EQ(e.tuning.polarization, -3);
}

TEST(CatalogueEntry, PolarizationLetters)
{
    const struct {
        const char* line;
        int32_t polarization;
    } cases[] = {
        {"[S]=3740h29270;", Horizontal}, {"[S]=3740H29270;", Horizontal},     {"[S]=3740v29270;", Vertical},
        {"[S]=3740V29270;", Vertical},   {"[S]=3740l29270;", NoPolarization}, {"[S]=3740 29270;", NoPolarization},
    };
    for (const auto& c : cases) {
        const Examined e = examine(catalogueOf({c.line}), 0);
        EXPECT_EQ(e.outcome, CatalogueOk) << c.line;
        EXPECT_EQ(e.tuning.polarization, c.polarization) << c.line;
    }
}

TEST(CatalogueEntry, NameLengthsAgainstTheBanner)
{
    const std::string name33 = "Telecom 2D,Atlantic Bird 2 - 8.0w";
    ASSERT_EQ(name33.size(), 33u);
    const std::string file = "[" + name33 + "]=3740v29270;\r\n";
    EXPECT_EQ(examine(file, 0).banner, name33.substr(0, 32));
    EXPECT_EQ(examine("[" + name33.substr(0, 31) + "]=3740v29270;\r\n", 0).banner, name33.substr(0, 31) + '\0');
    EXPECT_EQ(examine("[]=3740v29270;\r\n", 0).banner, bannerOf(""));
}

TEST(CatalogueEntry, EntriesAreCountedBySemicolons)
{
    // LF-only line ends shift every name but the first by one byte.
    const std::string lfOnly = "[AMC1   103.0w]=3740v29270;\n[AMC2   105.0w]=11720v26000;\n\n";
    EXPECT_EQ(examine(lfOnly, 0).banner, bannerOf("AMC1   103.0w"));
    const Examined second = examine(lfOnly, 1);
    EXPECT_EQ(second.outcome, CatalogueOk);
    EXPECT_EQ(second.banner, bannerOf("MC2   105.0w"));
    EXPECT_EQ(second.tuning.frequencyMHz, 11720);
    // The first byte is skipped unseen, whatever it is.
    EXPECT_EQ(examine("X Sat]=3740v29270;\r\n", 0).banner, bannerOf(" Sat"));
}

TEST(CatalogueEntry, MissingEntriesChangeNothingAndReadNothingBeyondTheFile)
{
    const std::string two = catalogueOf({"[A]=3740v29270;", "[B]=11720v26000;"});
    expectUntouched(examine(two, 3));
    expectUntouched(examine(two, -1));
    expectUntouched(examine(two, INT32_MAX));
    expectUntouched(examine("", 0));
    expectUntouched(examine("[", 0));
    expectUntouched(examine("[A]=3740v29270;", 1));        // name would start past the end
    expectUntouched(examine("[A]=3740v29270;\r\n[B", 1));  // no "]" after the name
    expectUntouched(examine("[AMC1   103.0w=3740v29270;\r\n", 0));
    expectUntouched(examine("[A]", 0));             // "=" missing as well
    expectUntouched(examine("[A]=3740v29270", 0));  // ten bytes after "="
    // Eleven bytes after "=" are enough, even without ";" and line end.
    EXPECT_EQ(examine("[A]=11720v26000", 0).outcome, CatalogueOk);
}

TEST(CatalogueEntry, ALastEntryWithoutLineEndIsReadFromTheBytesItHas)
{
    // Four-digit frequency and rate: ten bytes with the ";", and the file ends there.
    const std::string file = "[AMC1   103.0w]=3740v29270;\r\n[AMC3   87.0w]=3719h4167;";
    Examined e = examine(file, 1);
    EXPECT_EQ(e.outcome, CatalogueOk);
    EXPECT_EQ(e.tuning.frequencyMHz, 3719);
    EXPECT_EQ(e.tuning.symbolRate, 4167);
    EXPECT_EQ(e.tuning.polarization, Horizontal);
    EXPECT_EQ(e.banner, bannerOf("AMC3   87.0w"));
    // The same entry as the file's only one, and with a bad rate, which is then reported as such.
    EXPECT_EQ(examine("[AMC3   87.0w]=3719h4167;", 0).outcome, CatalogueOk);
    EXPECT_EQ(examine("[S]=3719h999;", 0).outcome, CatalogueBadSymbolRate);
    // Cut off before its ";": the file does not hold the entry.
    expectUntouched(examine("[AMC3   87.0w]=3719h41", 0));
    expectUntouched(examine("[S]=", 0));
}
