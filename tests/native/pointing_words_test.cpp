// Where to point, in words: the site, satellite and offset angle as people
// type them (every bad one said with what a good one looks like), and the
// lines azimora-dvb --point prints, the phone page lists and the practice
// dish writes in short.
#include <gtest/gtest.h>

#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/pointing/pointing_text.h"

namespace {

const std::string siteForm = "give LAT,LON in degrees, north and east positive, such as 55.75,37.62";

int64_t utcMs(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute)
{
    return daysFromCivil(CivilDate{year, month, day}) * msPerDay + (hour * 60 + minute) * msPerMinute;
}

std::string siteProblem(const std::string& text)
{
    DishSite site{};
    std::string error;
    EXPECT_FALSE(parseSite(text, &site, &error)) << text;
    return error;
}

TEST(PointingInput, SitesReadStrictly)
{
    DishSite site{};
    std::string error;
    ASSERT_TRUE(parseSite("55.75,37.62", &site, &error));
    EXPECT_DOUBLE_EQ(55.75, site.latitudeDeg);
    EXPECT_DOUBLE_EQ(37.62, site.longitudeDeg);
    ASSERT_TRUE(parseSite(" -33.87 , 151.21 ", &site, &error));
    EXPECT_DOUBLE_EQ(-33.87, site.latitudeDeg);
    ASSERT_TRUE(parseSite("-90,-180", &site, &error));
    ASSERT_TRUE(parseSite("+0,.5", &site, &error));
    EXPECT_DOUBLE_EQ(0.5, site.longitudeDeg);

    for (const char* text : {"", "55.75", "55.75;37.62", "55.75,37.62,10", ",", "nan,1", "1,inf", "1e1,2", "0x10,2",
                             "55.75N,37.62E", "1..2,3", "-,1", "55.7 5,37.62", "1,2,"})
        EXPECT_EQ("the site \"" + std::string(text) + "\" does not read: " + siteForm, siteProblem(text)) << text;
    EXPECT_EQ("the site's latitude 95 is beyond 90\xC2\xB0: " + siteForm, siteProblem("95,10"));
    EXPECT_EQ("the site's latitude -90.5 is beyond 90\xC2\xB0: " + siteForm, siteProblem("-90.5, 10"));
    EXPECT_EQ("the site's longitude 181 is beyond 180\xC2\xB0: " + siteForm, siteProblem("10,181"));
    // What was typed is quoted, but not at length.
    EXPECT_EQ("the site \"" + std::string(40, '7') + "...\" does not read: " + siteForm,
              siteProblem(std::string(300, '7')));

    EXPECT_EQ("55.75,37.62", siteText({55.75, 37.62}));
    EXPECT_EQ("-33.87,0", siteText({-33.87, -0.00001}));
    ASSERT_TRUE(parseSite(siteText({-12.3456, 100.5}), &site, &error));
    EXPECT_DOUBLE_EQ(-12.3456, site.latitudeDeg);
}

TEST(PointingInput, SatellitesArePositionsOrCatalogueNames)
{
    const std::vector<CatalogueLine> catalogue = catalogueLines(
        "[HotBird1-6   13.0e]=10723h29900;[Astra1B1H,2C   19.2e]=12515h22000;[Astra 1KR 19.2e]=11362h22000;"
        "[Astra 3A   23.5e]=12525v27500;[AMC1   103.0w]=3740v29270;[No position]=11000h27500;");
    double longitude = 0;
    std::string name, error;
    const auto reads = [&](const std::string& text) {
        return parseSatellite(text, catalogue, &longitude, &name, &error);
    };

    for (const char* east : {"19.2E", "19.2e", " 19.2 E ", "19.2\xC2\xB0 E",
                             "19.2\xC2\xB0"
                             "E"}) {
        ASSERT_TRUE(reads(east)) << east;
        EXPECT_DOUBLE_EQ(19.2, longitude);
        EXPECT_EQ("", name);
    }
    ASSERT_TRUE(reads("0.8W"));
    EXPECT_DOUBLE_EQ(-0.8, longitude);
    ASSERT_TRUE(reads("180W"));

    ASSERT_TRUE(reads("hotbird1-6"));
    EXPECT_DOUBLE_EQ(13.0, longitude);
    EXPECT_EQ("HotBird1-6 13.0e", name);
    ASSERT_TRUE(reads("HotBird1-6   13.0E"));
    ASSERT_TRUE(reads("hot"));  // the start of one name
    ASSERT_TRUE(reads("amc1"));
    EXPECT_DOUBLE_EQ(-103.0, longitude);
    ASSERT_TRUE(reads("astra 1"));  // two names, one position
    EXPECT_DOUBLE_EQ(19.2, longitude);

    const std::string forms = "a position such as 19.2E or 0.8W";
    EXPECT_FALSE(reads("astra"));
    EXPECT_EQ("the satellite \"astra\" fits names in satellite.ini at different positions (Astra1B1H,2C 19.2e; "
              "Astra 1KR 19.2e; Astra 3A 23.5e): give more of the name, or " +
                  forms,
              error);
    EXPECT_FALSE(reads("190E"));
    EXPECT_EQ("the satellite's position \"190E\" is beyond 180\xC2\xB0: give " + forms, error);
    for (const char* bad : {"-19.2E", "19.2", "E", "19.2X", "nanE", "1e1E", "Sirius", "No position"}) {
        EXPECT_FALSE(reads(bad)) << bad;
        EXPECT_EQ("the satellite \"" + std::string(bad) + "\" is neither " + forms +
                      " nor a name in satellite.ini such as HotBird1-6",
                  error);
    }
    EXPECT_FALSE(reads("  "));
    EXPECT_EQ("give the satellite: " + forms + ", or a name in satellite.ini such as HotBird1-6", error);
    EXPECT_FALSE(parseSatellite("Sirius", {}, &longitude, &name, &error));
    EXPECT_EQ("the satellite \"Sirius\" is neither " + forms + " nor a name in satellite.ini", error);
}

TEST(PointingInput, OffsetAngles)
{
    double offset = -1;
    std::string error;
    ASSERT_TRUE(parseOffsetAngle(" 26.5 ", &offset, &error));
    EXPECT_DOUBLE_EQ(26.5, offset);
    ASSERT_TRUE(parseOffsetAngle("0", &offset, &error));
    const std::string form = "give the degrees the dish's maker prints, such as 26.5 (0 for a prime-focus dish)";
    EXPECT_FALSE(parseOffsetAngle("61", &offset, &error));
    EXPECT_EQ("the offset angle 61 is not between 0 and 60\xC2\xB0: " + form, error);
    EXPECT_FALSE(parseOffsetAngle("-1", &offset, &error));
    EXPECT_FALSE(parseOffsetAngle("twenty", &offset, &error));
    EXPECT_EQ("the offset angle \"twenty\" does not read: " + form, error);
}

PointingFigures figuresFor(DishSite site, double satellite, int64_t atMs, int32_t zone)
{
    PointingQuestion question;
    question.site = site;
    question.satelliteLongitudeDeg = satellite;
    question.unixMs = atMs;
    question.zoneMinutes = zone;
    return pointingFigures(question);
}

std::string joined(const std::vector<PointingLine>& lines)
{
    std::string text;
    for (const PointingLine& line : lines) text += line.name + ": " + line.value + "\n";
    return text;
}

TEST(PointingText, OneFigureALine)
{
    // London to Astra 19.2° E on 15 January 2026, an hour before noon (the
    // sun's hour and place as PyEphem has them: 10:29:27, 14.1°; 163.07°, 15.8°).
    PointingFigures f = figuresFor({51.51, -0.13}, 19.2, utcMs(2026, 1, 15, 11, 0), 0);
    EXPECT_EQ("azimuth: 155.9\xC2\xB0 (true)\n"
              "magnetic azimuth: 154.8\xC2\xB0 (declination 1.1\xC2\xB0 E, WMM2025)\n"
              "elevation: 28.3\xC2\xB0\n"
              "skew: 14.7\xC2\xB0 counterclockwise, seen from behind the dish\n"
              "sun: 10:29 local time (UTC), 14\xC2\xB0 high\n"
              "usals: 21.3\xC2\xB0 E\n"
              "sun now: 7.2\xC2\xB0 right of the satellite's azimuth (facing it), 16\xC2\xB0 high\n",
              joined(pointingLines(f)));
    EXPECT_EQ("turn the LNB 14.7\xC2\xB0 counterclockwise, seen from behind the dish",
              skewInstruction(f.look.direction.skewDeg));
    EXPECT_EQ("the sun stands at the satellite's azimuth at 10:29 local time (UTC), 14\xC2\xB0 high",
              sunHourSentence(f));

    // An offset dish: the plate leans back or forward.
    f.question.hasOffset = true;
    f.question.offsetDeg = 26.0;
    f.plateTiltDeg = plateTiltDeg(f.look.direction.elevationDeg, 26.0);
    EXPECT_EQ("plate", pointingLines(f)[6].name);
    EXPECT_EQ("2.3\xC2\xB0 back from vertical (offset 26.0\xC2\xB0)", pointingLines(f)[6].value);
    f.plateTiltDeg = -6.0;
    EXPECT_EQ("6.0\xC2\xB0 forward from vertical (offset 26.0\xC2\xB0)", pointingLines(f)[6].value);
}

TEST(PointingText, WhatCannotBeDoneIsSaidPlainly)
{
    // Moscow to a satellite far in the west: below the horizon; low ones under 5°.
    const PointingFigures below = figuresFor({55.75, 37.62}, -103.0, utcMs(2026, 1, 15, 11, 0), 180);
    EXPECT_EQ("elevation", pointingLines(below)[2].name);
    EXPECT_EQ("-33.1\xC2\xB0 (below the horizon: this satellite cannot be received here)",
              pointingLines(below)[2].value);
    const PointingFigures low = figuresFor({55.75, 37.62}, -35.0, utcMs(2026, 1, 15, 11, 0), 180);
    EXPECT_EQ("1.0\xC2\xB0 (under 5\xC2\xB0: the ground and anything near the horizon are in the way)",
              pointingLines(low)[2].value);

    // Tromsø in December: no sun at all; the model's years only.
    const PointingFigures polar = figuresFor({69.65, 18.96}, 19.2, utcMs(2025, 12, 21, 11, 0), 60);
    EXPECT_EQ("not at that azimuth today", pointingLines(polar)[4].value);
    EXPECT_EQ("the sun does not reach that azimuth today", sunHourSentence(polar));
    EXPECT_EQ("below the horizon", pointingLines(polar).back().value);
    const PointingFigures late = figuresFor({51.5, 0.0}, 19.2, utcMs(2031, 3, 1, 12, 0), 0);
    EXPECT_EQ("unknown: WMM2025 holds from 2025.0 to 2030.0 only, not in 2031.1", pointingLines(late)[1].value);
    const PointingFigures early = figuresFor({51.5, 0.0}, 19.2, utcMs(2024, 12, 31, 12, 0), 0);
    EXPECT_EQ("unknown: WMM2025 holds from 2025.0 to 2030.0 only, not in 2024.9", pointingLines(early)[1].value);

    // Due south: upright, no motor turn; north-facing azimuths read 0.0, never 360.0.
    const PointingFigures south = figuresFor({45.0, 13.0}, 13.0, utcMs(2026, 1, 15, 11, 0), 60);
    EXPECT_EQ("0.0\xC2\xB0, the LNB upright", pointingLines(south)[3].value);
    EXPECT_EQ("keep the LNB upright: no turn", skewInstruction(0.0));
    EXPECT_EQ("0.0\xC2\xB0", pointingLines(south)[5].value);
    PointingFigures north = figuresFor({-45.0, 13.0}, 13.02, utcMs(2026, 1, 15, 11, 0), 60);
    EXPECT_EQ("0.0\xC2\xB0 (true)", pointingLines(north)[0].value);

    // Where the sun passes twice, both hours; the offset said again where
    // the clocks changed in between.
    PointingFigures twice = below;
    twice.sunCrossings = {{utcMs(2025, 6, 21, 13, 2), 28.8, -300}, {utcMs(2025, 6, 21, 17, 26), 88.7, -300}};
    EXPECT_EQ("08:02 local time (UTC-05:00), 29\xC2\xB0 high; again at 12:26, 89\xC2\xB0 high",
              pointingLines(twice)[4].value);
    twice.sunCrossings[1].zoneMinutes = -240;
    EXPECT_EQ("08:02 local time (UTC-05:00), 29\xC2\xB0 high; again at 13:26 (UTC-04:00), 89\xC2\xB0 high",
              pointingLines(twice)[4].value);
    // The zone's offset at each crossing, where its rules are known.
    PointingQuestion changing = twice.question;
    changing.zoneAt = [](int64_t unixMs) { return unixMs < utcMs(2025, 3, 9, 7, 0) ? -300 : -240; };
    changing.site = {40.7, -74.0};
    changing.satelliteLongitudeDeg = -97.0;
    changing.unixMs = utcMs(2025, 3, 9, 5, 30);
    changing.zoneMinutes = -300;
    const PointingFigures springing = pointingFigures(changing);
    ASSERT_EQ(1u, springing.sunCrossings.size());
    EXPECT_EQ(-240, springing.sunCrossings[0].zoneMinutes);
    EXPECT_EQ("14:46 local time (UTC-04:00), 40\xC2\xB0 high", pointingLines(springing)[4].value);
    EXPECT_EQ("UTC+05:30", zoneText(330));
    EXPECT_EQ("UTC-09:30", zoneText(-570));

    EXPECT_EQ("19.2\xC2\xB0 E", orbitalPositionText(19.2));
    EXPECT_EQ("0.8\xC2\xB0 W", orbitalPositionText(-0.8));
    EXPECT_EQ("0.0\xC2\xB0", orbitalPositionText(-0.01));
}

TEST(PointingText, ShortLinesForANarrowWindow)
{
    // Moscow to HotBird 13.0° E, 21 June 2025 at noon in Moscow (the
    // practice dish's lines in full are in dish_pointing_test.cpp). A
    // compass never reads 360.0.
    PointingFigures f = figuresFor({55.75, 37.62}, 13.0, utcMs(2025, 6, 21, 9, 0), 180);
    f.magneticAzimuthDeg = 359.96;
    EXPECT_EQ("magnetic az 0.0 (12.0E WMM2025)", shortPointingLines(f)[2]);
    f.declinationState = DeclinationAtPole;
    EXPECT_EQ("magnetic az unknown at a pole", shortPointingLines(f)[2]);
    f.declinationState = DeclinationAfterModel;
    EXPECT_EQ("magnetic az unknown: WMM2025 is for 2025-2030", shortPointingLines(f)[2]);
    f.look.direction.skewDeg = 0.01;
    f.usalsDeg = -0.01;
    f.sunCrossings.clear();
    EXPECT_EQ((std::vector<std::string>{"USALS 0.0", "sun never there today",
                                        "magnetic az unknown: WMM2025 is for 2025-2030", "LNB upright"}),
              shortPointingLines(f));
}

}  // namespace
