// A catalogue rewritten by the native azimora-dvb --survey --update-catalogue
// is one Azimora reads: its list shows the satellite, and a start from its
// line tunes the replacement transponder.
#include "app/resource_data.h"
#include "tests/win/dvb_helper_process.h"
#include "tests/win/program_test.h"

namespace {

using DvbSurveyTest = ProgramTest;

// HotBird at 13.0E without the catalogue's 10723h29900: its network lists
// three other transponders, all locking.
static const char staleHotBird[] = "lnb 9750 10600\n"
                                   "carrier 11034V27500 12 S2-8PSK-2/3 stream 1002 318\n"
                                   "carrier 11785H27500 12 S-QPSK-5/6 stream 1003 318\n"
                                   "carrier 12149V27500 12 S2-8PSK-3/4 stream 1004 318\n"
                                   "nit actual 318 Eutelsat\n"
                                   "entry 1002 318 13.0E S2-8PSK-2/3 11034V27500\n"
                                   "entry 1003 318 13.0E S-QPSK-5/6 11785H27500\n"
                                   "entry 1004 318 13.0E S2-8PSK-3/4 12149V27500\n"
                                   "nit other 400 Neighbour\n"
                                   "entry 2001 400 19.2E 11362H22000\n";

static std::string shippedCatalogue()
{
    size_t size = 0;
    const uint8_t* data = resourceBytes(nullptr, "SATDATA", &size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Runs the helper to its end; its exit code, or -1 when it did not end in time.
static int runSurvey(const std::string& folder, const std::string& arguments)
{
    const std::string codePath = joinPath(folder, "survey.code");
    // The record goes to the folder's own azimora/.
    const std::string command = "/bin/sh -c \"cd '" + unixPath(folder) + "' && XDG_DATA_HOME='" + unixPath(folder) +
                                "' '" + helperProgram() + "' --simulate simulation.txt " + arguments +
                                " > survey.out 2>&1; echo $? > '" + unixPath(codePath) + "'\"";
    if (!startUnixCommand(command)) return -1;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50)) {
        const std::string code = readFile(codePath);
        if (!code.empty() && code.back() == '\n') return atoi(code.c_str());
    }
    return -1;
}

TEST_F(DvbSurveyTest, TheRewrittenCatalogueListsTheSatelliteAndStartsItsNewTransponder)
{
    const std::string folder = newProgramFolder("dvb-survey");
    const std::string shipped = shippedCatalogue();
    ASSERT_TRUE(writeFile(joinPath(folder, "satellite.ini"), shipped));
    ASSERT_TRUE(writeFile(joinPath(folder, "simulation.txt"), staleHotBird));
    ASSERT_EQ(0, runSurvey(folder, "--survey 11034V27500 --dwell 0.2 --update-catalogue satellite.ini"))
        << readFile(joinPath(folder, "survey.out"));
    EXPECT_EQ(shipped, readFile(joinPath(folder, "satellite.ini.bak")));
    const std::string rewritten = readFile(joinPath(folder, "satellite.ini"));
    ASSERT_NE(std::string::npos, rewritten.find("[HotBird1-6   13.0e]=11034v27500;\r\n"))
        << readFile(joinPath(folder, "survey.out"));

    AppRun& run = startIn(folder);
    const std::vector<std::string> lines = satelliteListLines(satelliteList(run.window));
    ASSERT_EQ(100u, lines.size());
    EXPECT_EQ("HotBird1-6   13.0e" + std::string(46, ' '), lines[53]);
    startCatalogueLine(run, 53);
    EXPECT_TRUE(waitForLogLine(run, "SetTransponderFrequency 11034 -> 0x00000000"));
    EXPECT_TRUE(waitForLogLine(run, "SetPolarity 1 -> 0x00000000"));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(rewritten, readFile(joinPath(folder, "satellite.ini")));  // the program never rewrites it
}

}  // namespace
