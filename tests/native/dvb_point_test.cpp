// azimora-dvb --point SAT --site LAT,LON: its options, its lines and exit
// codes, the real program run.
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/helper_options.h"
#include "dvb/helper/point_report.h"
#include "tests/native/dvb_helper_process.h"

namespace {

bool parse(std::vector<const char*> words, HelperOptions* options, std::string* error)
{
    words.insert(words.begin(), "azimora-dvb");
    return parseHelperOptions(static_cast<int>(words.size()), words.data(), options, error);
}

// London to Astra 19.2° E on 15 January 2026 at 11:00 UTC (the sun's hour
// and place as PyEphem has them: 10:29:27, 14.1°; 163.07°, 15.8°).
const char londonLines[] = "azimuth: 155.9\xC2\xB0 (true)\n"
                           "magnetic azimuth: 154.8\xC2\xB0 (declination 1.1\xC2\xB0 E, WMM2025)\n"
                           "elevation: 28.3\xC2\xB0\n"
                           "skew: 14.7\xC2\xB0 counterclockwise, seen from behind the dish\n"
                           "sun: 10:29 local time (UTC), 14\xC2\xB0 high\n"
                           "usals: 21.3\xC2\xB0 E\n"
                           "sun now: 7.2\xC2\xB0 right of the satellite's azimuth (facing it), 16\xC2\xB0 high\n";

TEST(DvbPoint, OptionsGoTogether)
{
    HelperOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--point", "19.2E", "--site", "51.51,-0.13", "--offset", "26", "--time", "2026-01-15T11:00Z",
                       "--catalogue", "my.ini"},
                      &options, &error))
        << error;
    EXPECT_TRUE(options.point);
    EXPECT_EQ("19.2E", options.pointSatellite);
    EXPECT_DOUBLE_EQ(51.51, options.site.latitudeDeg);
    EXPECT_TRUE(options.hasOffset);
    EXPECT_EQ("2026-01-15T11:00Z", options.pointTime);
    EXPECT_EQ("my.ini", options.cataloguePath);

    struct Case {
        std::vector<const char*> words;
        const char* error;
    };
    const Case cases[] = {
        {{"--point", "19.2E"},
         "--point needs --site LAT,LON: the dish's site in degrees, north and east positive, such as 55.75,37.62"},
        {{"--site", "1,2"}, "--site goes with --point, --status --tune, --goto, --goto-angle or --arc"},
        {{"--time", "2026-01-15T11:00Z"}, "--time goes with --point"},
        {{"--point", "19.2E", "--site", "1,2", "--status"},
         "--point goes with --site, --time, --offset and --catalogue only, not with --status"},
        {{"--point", "", "--site", "1,2"},
         "--point needs a satellite: a position such as 19.2E or 0.8W, or a name in the catalogue"},
        {{"--point", "19.2E", "--site", "north"},
         "the site \"north\" does not read: give LAT,LON in degrees, north and east positive, such as 55.75,37.62"},
        {{"--point", "19.2E", "--site", "1,2", "--offset", "80"},
         "the offset angle 80 is not between 0 and 60\xC2\xB0: give the degrees the dish's maker prints, such as 26.5 "
         "(0 for a prime-focus dish)"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(parse(c.words, &options, &error)) << c.error;
        EXPECT_EQ(c.error, error);
    }
}

TEST(DvbPoint, TheLinesFromTheCatalogue)
{
    HelperOptions options;
    std::string error, report;
    ASSERT_TRUE(parse({"--point", "astra", "--site", "51.51,-0.13"}, &options, &error));
    const std::string catalogue = "[HotBird1-6   13.0e]=10723h29900;[Astra1B1H,2C   19.2e]=12515h22000;";
    // 2026-01-15T11:00Z.
    ASSERT_EQ(ExitOk, pointReport(options, catalogue, {1768474800000, 0, nullptr}, &report, &error)) << error;
    EXPECT_EQ(londonLines, report);
    options.pointSatellite = "Sirius";
    EXPECT_EQ(ExitUsage, pointReport(options, catalogue, {1768474800000, 0, nullptr}, &report, &error));
    EXPECT_EQ("the satellite \"Sirius\" is neither a position such as 19.2E or 0.8W nor a name in satellite.ini such "
              "as HotBird1-6",
              error);
}

// The sun's line of --point for 97° W from New York, in the machine's zone there.
std::string newYorkSun(const std::string& time)
{
    const HelperFiles files = helperFiles("");
    const HelperResult result = runHelper({"--point", "97W", "--site", "40.7,-74", "--time", time}, files,
                                          HelperSurroundings{{"TZ=America/New_York"}});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    const size_t start = result.output.find("\nsun: ");
    return start == std::string::npos
               ? result.output
               : result.output.substr(start + 1, result.output.find('\n', start + 1) - start - 1);
}

TEST(DvbPoint, OnADayTheClocksChangeTheSunsHourIsInTheOffsetOfItsMoment)
{
    // 9 March 2025, clocks forward at 02:00 (the sun at 213.1°, as PyEphem
    // has it: 18:46 UTC, 39.7°); 2 November 2025, back at 02:00.
    EXPECT_EQ("sun: 14:46 local time (UTC-04:00), 40\xC2\xB0 high", newYorkSun("2025-03-09T00:30"));
    EXPECT_EQ("sun: 14:46 local time (UTC-04:00), 40\xC2\xB0 high", newYorkSun("2025-03-09T12:00"));
    EXPECT_EQ(newYorkSun("2025-11-02T00:30"), newYorkSun("2025-11-02T12:00"));
    EXPECT_NE(std::string::npos, newYorkSun("2025-11-02T00:30").find("(UTC-05:00)"));
    // A time with an offset of its own keeps it all day.
    EXPECT_EQ("sun: 13:46 local time (UTC-05:00), 40\xC2\xB0 high", newYorkSun("2025-03-09T00:30-05:00"));
}

TEST(DvbPoint, TheProgramPrintsOneFigureALine)
{
    const HelperFiles files = helperFiles("");
    HelperResult result =
        runHelper({"--point", "19.2E", "--site", "51.51,-0.13", "--time", "2026-01-15T11:00Z"}, files);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_EQ(londonLines, result.output);

    // The catalogue Azimora ships, and the machine's own zone where --time has none.
    result =
        runHelper({"--point", "Astra1B1H", "--site", "51.51,-0.13", "--time", "2026-01-15T14:00", "--offset", "26"},
                  files, HelperSurroundings{{"TZ=Europe/Moscow"}});
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("\nsun: 13:29 local time (UTC+03:00), 14\xC2\xB0 high\n"))
        << result.output;
    EXPECT_NE(std::string::npos, result.output.find("\nplate: 2.3\xC2\xB0 back from vertical (offset 26.0\xC2\xB0)\n"))
        << result.output;

    const std::string catalogue = files.folder + "/satellite.ini";
    std::ofstream(catalogue) << "[Home Bird   7.0e]=11000h27500;\r\n";
    result = runHelper({"--point", "home bird", "--site", "51.51,-0.13", "--catalogue", catalogue}, files);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;

    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--point", "19.2E", "--site", "95,1"}, ExitUsage, "the site's latitude 95 is beyond 90\xC2\xB0"},
        {{"--point", "19.2E", "--site", "nan,1"}, ExitUsage, "the site \"nan,1\" does not read"},
        {{"--point", "Polaris", "--site", "1,2"}, ExitUsage, "the satellite \"Polaris\" is neither"},
        {{"--point", "190E", "--site", "1,2"}, ExitUsage, "the satellite's position \"190E\" is beyond 180\xC2\xB0"},
        {{"--point", "19.2E", "--site", "1,2", "--time", "tomorrow"}, ExitUsage, "--time wants a time such as"},
        {{"--point", "19.2E", "--site", "1,2", "--catalogue", "/nonexistent/satellite.ini"},
         ExitFailure,
         "cannot read the catalogue /nonexistent/satellite.ini"},
    };
    for (const Case& c : cases) {
        result = runHelper(c.arguments, files);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.output;
        EXPECT_NE(std::string::npos, result.output.find(c.message)) << result.output;
    }
    result = runHelper({"--help"}, files);
    EXPECT_NE(std::string::npos, result.output.find("--point SAT")) << result.output;
}

}  // namespace
