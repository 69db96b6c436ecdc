// azimora-dvb's motor commands on the simulated frontend's sky, end to
// end: a refusal says why with exit code 2 and nothing reaching the
// frontend; each command goes out once, with the tone off and 18 V before
// it; --goto SAT turns the dish and says whether the satellite's
// transponder locks; --arc measures the arc, asks at the dish, names the
// adjustment and writes the record and the CSV; the line protocol's Motor
// request reaches the positioner.
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include "dvb/helper/exit_codes.h"
#include "tests/native/committed_file.h"
#include "tests/native/dvb_helper_process.h"

namespace {

// A fast motor on a sky whose clock runs a hundred times as fast as the
// wall's, so that turns and the arc check's pauses take little wall time.
std::string skyWith(const std::string& motorWords)
{
    return "motor " + motorWords + " speed 20\nsite 51.5 -0.13\nclock 100\n";
}

HelperResult runOnSky(HelperFiles& files, std::vector<std::string> arguments, const std::string& input = "")
{
    arguments.insert(arguments.begin(), {"--simulate", files.simulation, "--log", files.log});
    HelperSurroundings surroundings;
    surroundings.input = input;
    return runHelper(arguments, files, surroundings);
}

bool says(const HelperResult& result, const std::string& text) { return result.output.find(text) != std::string::npos; }

size_t linesStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    size_t count = 0;
    for (const std::string& line : lines) count += line.compare(0, start.size(), start) == 0;
    return count;
}

// The catalogue's lines of these satellites (Ku band, 36.0E to 31.5W), as satellite.ini has them.
std::string twelveSatellites()
{
    return "[Eutelsat W4/Sesat   36.0e]=12207h27500;\r\n"
           "[Eurobird 1, Astra 2A,B,D   28.2e]=10773h22000;\r\n"
           "[Arabsat2D3A,2C   26.0e]=11023h11000;\r\n"
           "[Astra1B1H,2C   19.2e]=12515h22000;\r\n"
           "[Eutelsat W2   16.0e]=11449h16000;\r\n"
           "[HotBird1-6   13.0e]=10723h29900;\r\n"
           "[Eutelsat W1   10.0e]=11607h27500;\r\n"
           "[Eutelsat W3A   7.0e]=11324v27500;\r\n"
           "[Amos1,2   4.0w]=10842h27500;\r\n"
           "[Nilesat 101/102   7.0w]=11747v27500;\r\n"
           "[Hispasat1B/1C/1D   30.0w]=11535v24500;\r\n"
           "[Intelsat 801   31.5w]=11060h30000;\r\n";
}

}  // namespace

TEST(DvbMotorHelper, ARefusalSaysWhyWithExitCodeTwoAndNothingReachesTheFrontend)
{
    const struct {
        std::vector<std::string> arguments;
        const char* said;
    } cases[] = {
        {{"--goto", "120E", "--site", "51.5,-0.13"},
         "--goto refused: 120.0° E is below the horizon here (elevation -26.0°); nothing sent"},
        {{"--goto-angle", "80", "--site", "51.5,-0.13"},
         "--goto-angle refused: 80.0° east is beyond the motor's limit of 75°; nothing sent"},
        {{"--goto", "36.0E", "--site", "51.5,-0.13", "--motor-limit", "30"}, "beyond the motor's limit of 30°"},
        {{"--goto", "Nowhere", "--site", "51.5,-0.13"}, "Nowhere"},
        {{"--goto", "19.2E"}, "--goto needs --site LAT,LON"},
        {{"--arc"}, "--arc needs --site LAT,LON"},
        {{"--drive", "east", "0"}, "--drive wants east or west and a number of steps from 1 to 128"},
        {{"--drive", "north", "2"}, "not \"north 2\""},
        {{"--drive", "west", "129"}, "--drive wants"},
        {{"--store", "0"}, "--store wants a position from 1 to 255"},
        {{"--goto-stored", "256"}, "--goto-stored wants a position from 0 to 255"},
        {{"--limit", "up"}, "--limit"},
        {{"--motor-speed", "30", "--halt"}, "--motor-speed: the motor's speed 30 is not 0.1-20 degrees a second"},
        {{"--halt", "--store", "3"}, "are two commands: give one"},
        {{"--goto-angle", "10", "--site", "51.5,-0.13", "--status"}, "--goto-angle goes without --status"},
        {{"--drive", "east", "3", "--site", "51.5,-0.13"}, "--site goes with"},
        {{"--halt", "--reference", "ref.txt"}, "--reference goes with --arc"},
    };
    for (const auto& each : cases) {
        HelperFiles files = helperFiles(skyWith("at 0"));
        const HelperResult result = runOnSky(files, each.arguments);
        EXPECT_EQ(ExitUsage, result.exitCode) << result.output;
        EXPECT_TRUE(says(result, each.said)) << result.output;
        EXPECT_EQ(0u, linesStartingWith(fileLines(files.trace), "diseqc")) << result.output;
    }
}

TEST(DvbMotorHelper, EachCommandGoesOutOnceAfterTheToneOffAnd18V)
{
    const struct {
        std::vector<std::string> arguments;
        const char* command;
        const char* heard;  // what the simulated positioner made of it
    } cases[] = {
        {{"--goto-angle", "10", "--site", "51.5,-0.13"}, "E0 31 6E E0 A0", "motor moves"},
        {{"--goto-angle", "-32.79", "--site", "51.5,-0.13"}, "E0 31 6E D2 0D", "motor moves"},
        {{"--drive", "east", "10"}, "E0 31 68 F6", "motor moves"},
        {{"--drive", "west", "3"}, "E0 31 69 FD", "motor moves"},
        {{"--halt"}, "E0 31 60", "motor halts"},
        {{"--limit", "east"}, "E0 31 66", "motor limit set"},
        {{"--limit", "west"}, "E0 31 67", "motor limit set"},
        {{"--limit", "off"}, "E0 31 63", "motor limits off"},
        {{"--store", "4"}, "E0 31 6A 04", "motor stored"},
        {{"--goto-stored", "4"}, "E0 31 6B 04", "motor"},
    };
    for (const auto& each : cases) {
        HelperFiles files = helperFiles(skyWith("at 0"));
        const HelperResult result = runOnSky(files, each.arguments);
        EXPECT_EQ(ExitOk, result.exitCode) << result.output;
        EXPECT_TRUE(says(result, std::string("sent ") + each.command + ": ")) << result.output;
        const std::vector<std::string> trace = fileLines(files.trace);
        ASSERT_GE(trace.size(), 4u) << result.output;
        EXPECT_EQ("tone off", trace[0]);
        EXPECT_EQ("voltage 18", trace[1]);
        EXPECT_EQ(std::string("diseqc ") + each.command, trace[2]);
        EXPECT_EQ(0u, trace[3].find(each.heard)) << trace[3];
        EXPECT_EQ(1u, linesStartingWith(trace, "diseqc")) << "sent once, never repeated as a switch's";
        // 18 V is kept while the motor turns: nothing else reaches the frontend before the supply goes.
        EXPECT_EQ(0u, linesStartingWith(trace, "voltage 13"));
    }
}

TEST(DvbMotorHelper, GotoTurnsTheDishAndSaysWhetherTheSatellitesTransponderLocks)
{
    HelperFiles files = helperFiles(skyWith("at 0"));
    HelperResult result = runOnSky(files, {"--goto", "19.2E", "--site", "51.5,-0.13", "--motor-speed", "20"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "sent E0 31 6E E1 55: turning the dish to 19.2° E (21.3° east), there in about"))
        << result.output;
    EXPECT_TRUE(says(result, "at 19.2° E (21.3° east)\n")) << result.output;
    EXPECT_TRUE(says(result, "12515H22000: locked, C/N ")) << result.output;
    EXPECT_TRUE(says(result, "at 19.2E\n")) << "its network names the satellite\n" << result.output;

    // By the catalogue's name; a motor whose end stop is at 15° east stops
    // there, short of the satellite: no lock is said, and is no failure.
    files = helperFiles(skyWith("at 0 limit 15"));
    result = runOnSky(files, {"--goto", "Astra1B1H,2C", "--site", "51.5,-0.13", "--motor-speed", "20"});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "sent E0 31 6E E1 55: ")) << result.output;
    EXPECT_TRUE(says(result, "12515H22000: no lock within ")) << result.output;
}

TEST(DvbMotorHelper, ArcNamesTheDeclinationSetTooMuchWithTheRecordAndTheCsv)
{
    HelperFiles files = helperFiles(skyWith("declination 1.0"));
    const std::string catalogue = files.folder + "/twelve.ini";
    std::ofstream(catalogue) << twelveSatellites();
    const std::string csv = files.folder + "/arc.csv";
    const HelperResult result = runOnSky(
        files, {"--arc", "--site", "51.5,-0.13", "--catalogue", catalogue, "--motor-speed", "20", "--csv", csv}, "y");
    ASSERT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "arc check from 12 satellites of the catalogue, east to west\n")) << result.output;
    EXPECT_TRUE(says(result, "Astra1B1H,2C 19.2e: motor 21.3° east, peaks ")) << result.output;
    EXPECT_TRUE(says(result, "network 31.5° W\n")) << result.output;
    EXPECT_TRUE(says(result, "did the level rise? (y/n) y\n")) << result.output;
    EXPECT_TRUE(says(result, "the loss across the arc grows towards both ends")) << result.output;
    // Read in real time on a sky a hundred times as fast, the figure moves by
    // a tenth with the machine's load: within what the check must tell, a
    // quarter of a degree (the exact figures are the arc check's own tests,
    // in simulated time).
    const std::string named = "the declination is ";
    const size_t namedAt = result.output.find(named);
    ASSERT_NE(std::string::npos, namedAt) << result.output;
    const double degrees = std::atof(result.output.c_str() + namedAt + named.size());
    EXPECT_NEAR(1.0, degrees, 0.25) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("° too much: tilt the dish ", namedAt)) << result.output;
    EXPECT_TRUE(says(result, "(motor angle, degrees)")) << "the picture of the arc\n" << result.output;

    const std::vector<std::string> lines = fileLines(csv);
    ASSERT_EQ(13u, lines.size()) << fileText(csv);
    EXPECT_NE(std::string::npos, lines[0].find("satellite,position,motor_angle_deg")) << lines[0];
    EXPECT_EQ(0u, lines[4].find("\"Astra1B1H,2C 19.2e\",19.2E,21.29,")) << lines[4];
    const std::string record = fileText(files.folder + "/azimora/record.csv");
    size_t entries = 0;
    for (size_t at = record.find("arc check: motor "); at != std::string::npos;
         at = record.find("arc check: motor ", at + 1))
        ++entries;
    EXPECT_EQ(12u, entries) << record;
}

// On a real dish the installer's own clear-sky figures are the loss's
// reference, and stand alone even where a simulator knows better: with
// three of them, too few satellites have a loss for a verdict.
TEST(DvbMotorHelper, ArcTakesTheInstallersReferenceAndSaysWhenItIsTooShort)
{
    HelperFiles files = helperFiles(skyWith("declination 1.0"));
    const std::string catalogue = files.folder + "/twelve.ini";
    std::ofstream(catalogue) << twelveSatellites();
    const std::string reference = files.folder + "/reference.txt";
    std::ofstream(reference) << "# peaked by hand\n19.2E 15.0\n13.0E 14.0\n30.0W 12.0\n";
    HelperResult result = runOnSky(
        files,
        {"--arc", "--site", "51.5,-0.13", "--catalogue", catalogue, "--motor-speed", "20", "--reference", reference},
        "y");
    ASSERT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "reference: 3 satellites' clear-sky C/N from " + reference + "\n")) << result.output;
    EXPECT_TRUE(says(result, "no verdict: 12 satellites measured, 3 with a lock and a clear-sky C/N; at least 8 are "
                             "needed"))
        << result.output;

    // A file that does not read: nothing is sent.
    HelperFiles refused = helperFiles(skyWith("at 0"));
    std::ofstream(reference) << "19.2E 15.0\nAstra 13.0E 14.0\n";
    result = runOnSky(refused, {"--arc", "--site", "51.5,-0.13", "--reference", reference});
    EXPECT_EQ(ExitFailure, result.exitCode) << result.output;
    EXPECT_TRUE(says(result, "cannot use the reference " + reference + ": line 2 \"Astra 13.0E 14.0\""))
        << result.output;
    EXPECT_EQ(0u, linesStartingWith(fileLines(refused.trace), "diseqc")) << result.output;
}

TEST(DvbMotorHelper, TheLineProtocolsMotorRequestReachesThePositionerOnce)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, skyWith("at 0")));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("fail not initialized", ask(helper, "Motor command=E0316EE155 travel=100"));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ("fail a command's bytes are two capital hexadecimal digits each",
              ask(helper, "Motor command=e0316ee155 travel=100"));
    EXPECT_EQ("ok", ask(helper, "Motor command=E0316EE155 travel=100"));
    disconnect(helper);
    EXPECT_EQ(ExitOk, stopServing(helper));
    const std::vector<std::string> trace = fileLines(helper.files.trace);
    EXPECT_EQ(1u, linesStartingWith(trace, "diseqc E0 31 6E E1 55")) << fileText(helper.files.trace);
    EXPECT_EQ(1u, linesStartingWith(trace, "diseqc"));
}
