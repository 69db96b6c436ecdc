// azimora-dvb --survey on the simulated frontend, end to end: each pattern
// of failures an installation fault leaves gives its sentence (no tone at
// the LNB, no 18 V, another satellite, a switch port that leads nowhere), a
// stale catalogue transponder is found out and its line rewritten, the
// --transponders file serves where the start does not lock, and the CSV
// holds a line per transponder.
#include <fstream>
#include <gtest/gtest.h>

#include "dvb/helper/exit_codes.h"
#include "tests/native/committed_file.h"
#include "tests/native/dvb_helper_process.h"

namespace {

struct Carrier {
    const char* entry;
    const char* modcod;
};

// HotBird1-6 at 13.0E as the built-in catalogue has it (10723h29900), with
// three more carriers, listed by its network's NIT actual; a NIT other of a
// neighbour; `more` for faults and changes.
static const Carrier hotBird[] = {{"10723H29900", "S-QPSK-3/4"},
                                  {"11034V27500", "S2-8PSK-2/3"},
                                  {"11785H27500", "S-QPSK-5/6"},
                                  {"12149V27500", "S2-8PSK-3/4"}};

static std::string satellite(const std::string& listedAt = "13.0E", const std::string& leftOut = "",
                             const std::string& more = "")
{
    std::string text = "lnb 9750 10600\n";
    for (size_t i = 0; i < 4; ++i)
        if (leftOut != hotBird[i].entry)
            text += std::string("carrier ") + hotBird[i].entry + " 12 " + hotBird[i].modcod + " stream " +
                    std::to_string(1001 + i) + " 318\n";
    text += "nit actual 318 Eutelsat\n";
    for (size_t i = 0; i < 4; ++i)
        if (leftOut != hotBird[i].entry)
            text += "entry " + std::to_string(1001 + i) + " 318 " + listedAt + " " + hotBird[i].modcod + " " +
                    hotBird[i].entry + "\n";
    text += "entry 1009 318 " + listedAt + " 12300L27500\n";  // circular: counted, left out
    return text + "nit other 400 Neighbour\nentry 2001 400 19.2E 11362H22000\n" + more;
}

// The record goes to the run's own folder ($XDG_DATA_HOME/azimora).
static HelperResult survey(HelperFiles& files, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"--simulate", files.simulation, "--log", files.log, "--dwell", "0.2"});
    HelperSurroundings surroundings;
    surroundings.environment = {"XDG_DATA_HOME=" + files.folder};
    return runHelper(arguments, files, surroundings);
}

static bool says(const HelperResult& result, const std::string& text)
{
    return result.output.find(text) != std::string::npos;
}

static int linesWith(const std::string& output, const std::string& text)
{
    int count = 0;
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++count;
    return count;
}

static const char toneSentence[] = "no lock on any high-band transponder: is the 22 kHz tone reaching the LNB?";
static const char supplySentence[] = "no lock on any horizontal transponder: does the LNB switch to 18 V?";
static const char nothingSentence[] = "no lock at all: is the dish on the satellite, the LNB powered, the cable sound?";

TEST(DvbSurvey, AllLockAndTheListsGiveTheRestWithTheirFiguresInTheCsv)
{
    HelperFiles files = helperFiles(satellite());
    const std::string csv = files.folder + "/survey.csv";
    const HelperResult result = survey(files, {"--survey", "hotbird", "--csv", csv});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "survey of HotBird1-6 13.0e, from its catalogue transponder 10723H29900"))
        << result.output;
    EXPECT_TRUE(says(result, "4 transponders at 13.0E, 1 circularly polarized left out")) << result.output;
    EXPECT_TRUE(says(result, "11034V27500    DVB-S2 8PSK 2/3  locked in")) << result.output;
    EXPECT_TRUE(says(result, "4 of 4 transponders locked")) << result.output;
    EXPECT_FALSE(says(result, "no lock"));
    // Each transponder an entry of the record, and the same lines in the CSV.
    const std::string lines = fileText(csv);
    EXPECT_EQ(0u, lines.find("\xEF\xBB\xBFmeasurement_id,"));
    EXPECT_EQ(5, linesWith(lines, "\r\n"));
    EXPECT_EQ(1, linesWith(lines, ",12149,V,27500,,high,10600,"));
    EXPECT_EQ(4, linesWith(lines, ",Eutelsat,0x013e,13.0E,"));
    EXPECT_EQ(lines, fileText(files.folder + "/azimora/record.csv"));
    EXPECT_TRUE(says(result, "record: " + files.folder + "/azimora/record.csv")) << result.output;
}

TEST(DvbSurvey, NoToneAtTheLnbLosesTheHighBand)
{
    HelperFiles files = helperFiles(satellite("13.0E", "", "fault no-tone\n"));
    const HelperResult result = survey(files, {"--survey", "HotBird"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "11785H27500    no lock within")) << result.output;
    EXPECT_TRUE(says(result, "2 of 4 transponders locked"));
    EXPECT_TRUE(says(result, toneSentence)) << result.output;
    EXPECT_FALSE(says(result, supplySentence));
    // The record keeps the failures too.
    EXPECT_EQ(2, linesWith(fileText(files.folder + "/azimora/record.csv"), ",high,10600,,,no lock,"));
}

// From a typed vertical transponder: the catalogue's own is horizontal,
// and a start without lock could read no list.
TEST(DvbSurvey, NoEighteenVoltsLosesTheHorizontalTransponders)
{
    HelperFiles files = helperFiles(satellite("13.0E", "", "fault no-18v\n"));
    const HelperResult result = survey(files, {"--survey", "11034V27500"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "survey of the satellite of 11034V27500")) << result.output;
    EXPECT_TRUE(says(result, "10723H29900    no lock within")) << result.output;
    EXPECT_TRUE(says(result, "2 of 4 transponders locked"));
    EXPECT_TRUE(says(result, supplySentence)) << result.output;
    EXPECT_FALSE(says(result, toneSentence));
    EXPECT_FALSE(says(result, "does not lock and no network here lists it"));  // listed: not stale
}

TEST(DvbSurvey, TheNetworkNamesAnotherSatellite)
{
    HelperFiles files = helperFiles(satellite("19.2E"));
    const HelperResult result = survey(files, {"--survey", "13.0E"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "0 transponders at 13.0E")) << result.output;
    EXPECT_TRUE(says(result, "this is 19.2\xC2\xB0 E, not 13.0\xC2\xB0 E")) << result.output;
}

TEST(DvbSurvey, ASwitchPortThatLeadsNowhereLocksNothing)
{
    HelperFiles files = helperFiles(satellite("13.0E", "", "fault port B\n"));
    const HelperResult result = survey(files, {"--survey", "HotBird", "--switch", "B"});
    EXPECT_EQ(ExitNoLock, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "10723H29900B   no lock within")) << result.output;
    EXPECT_TRUE(says(result, nothingSentence)) << result.output;
    EXPECT_TRUE(says(result, "the catalogue's transponder may be gone"));
    EXPECT_NE(std::string::npos, fileText(files.log).find("diseqc E0 10 38 F6"));  // port B, horizontal, low band
}

TEST(DvbSurvey, AGoneCatalogueTransponderIsReplacedAndTheCatalogueRewritten)
{
    HelperFiles files = helperFiles(satellite("13.0E", "10723H29900"));
    const std::string catalogue = files.folder + "/satellite.ini";
    const std::string shipped = committedFile("resources/satellite.ini");
    std::ofstream(catalogue, std::ios::binary) << shipped;
    const HelperResult result = survey(files, {"--survey", "11034V27500", "--update-catalogue", catalogue});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "the catalogue's 10723H29900 for HotBird1-6 13.0e does not lock and no network here "
                             "lists it: 11034V27500 (DVB-S2 8PSK 2/3) replaces it"))
        << result.output;
    EXPECT_TRUE(says(result, "catalogue: " + catalogue + " rewritten")) << result.output;
    EXPECT_EQ(shipped, fileText(catalogue + ".bak"));
    std::string expected = shipped;
    expected.replace(expected.find("10723h29900"), 11, "11034v27500");
    EXPECT_EQ(expected, fileText(catalogue));

    // Surveyed again from its new line: nothing stale, the file left alone.
    const HelperResult again = survey(files, {"--survey", "HotBird", "--update-catalogue", catalogue});
    EXPECT_EQ(ExitOk, again.exitCode) << again.output;
    EXPECT_TRUE(says(again, "from its catalogue transponder 11034V27500")) << again.output;
    EXPECT_TRUE(says(again, "left as it is (its transponder for the satellite is not stale)")) << again.output;
    EXPECT_EQ(expected, fileText(catalogue));
}

// Where the start does not lock, the file's transponders are tried in turn
// and the first that locks gives the lists.
TEST(DvbSurvey, TheTranspondersFileServesWhereTheStartDoesNotLock)
{
    HelperFiles files = helperFiles(satellite("13.0E", "10723H29900"));
    const std::string entries = files.folder + "/transponders.txt";
    std::ofstream(entries) << "# what a listing gives\n12149V27500\n";
    const HelperResult result = survey(files, {"--survey", "HotBird", "--transponders", entries});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    const size_t start = result.output.find("10723H29900    no lock within");
    const size_t file = result.output.find("12149V27500    DVB-S2 8PSK 3/4  locked in");
    const size_t lists = result.output.find("3 transponders at 13.0E");
    EXPECT_TRUE(start < file && file < lists && lists != std::string::npos) << result.output;
    EXPECT_TRUE(says(result, "3 of 4 transponders locked")) << result.output;
    // The start's own measured before the lists came counts as theirs.
    EXPECT_TRUE(says(result, "11034V27500 (DVB-S2 8PSK 2/3) replaces it")) << result.output;
}

TEST(DvbSurvey, OptionsThatDoNotGoTogetherOrDoNotReadAreRefused)
{
    HelperFiles files = helperFiles(satellite());
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--survey", "HotBird", "--dwell", "0"}, "--dwell wants seconds from 0.1 to 60"},
        {{"--survey", "HotBird", "--dwell", "1.25"}, "--dwell wants seconds"},
        {{"--survey", "HotBird", "--switch", "C"}, "--switch wants the DiSEqC letters"},
        {{"--survey", "11034X27500"}, "--survey wants a transponder as Azimora's keypad takes it"},
        {{"--transponders", "x.txt"}, "--transponders goes with --survey"},
        {{"--catalogue", "satellite.ini"}, "--catalogue goes with --point, --survey, --goto or --arc"},
        {{"--survey", "HotBird", "--status"}, "--survey goes without --status"},
        {{"--survey", "HotBird", "--catalogue", "a.ini", "--update-catalogue", "b.ini"}, "leave out --catalogue"},
    };
    for (const auto& each : refused) {
        const HelperResult result = runHelper(each.first, files);
        EXPECT_EQ(ExitUsage, result.exitCode) << result.output;
        EXPECT_TRUE(says(result, each.second)) << result.output;
    }
    const HelperResult unknown = survey(files, {"--survey", "Nowhere Sat"});
    EXPECT_EQ(ExitUsage, unknown.exitCode) << unknown.output;
    const HelperResult missing = survey(files, {"--survey", "HotBird", "--transponders", files.folder + "/none.txt"});
    EXPECT_EQ(ExitFailure, missing.exitCode) << missing.output;
    EXPECT_TRUE(says(missing, "cannot use the transponders file"));
}

}  // namespace
