// Where to point: look angles and skew against published worked examples
// and the textbook formulas, the skew's sign against a dish maker's chart,
// the USALS angle against the hour angle from azimuth and elevation, the
// magnetic model against the WMM2025 report's test values, the sun and its
// hour against PyEphem's figures (recorded here; tests/browser/
// pointing_reference_test.js compares a grid with the libraries themselves).
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/magnetic_model.h"
#include "cardbase/pointing/pointing_figures.h"
#include "cardbase/pointing/sun_hour.h"

namespace {

const double radian = 3.14159265358979323846 / 180.0;

int64_t utcMs(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute)
{
    return daysFromCivil(CivilDate{year, month, day}) * msPerDay + (hour * 60 + minute) * msPerMinute;
}

TEST(PointingLookAngles, AgreeWithPublishedWorkedExamples)
{
    // Earth station 20° S 30° W, satellite 30° E (a satellite communications
    // course's worked example, earth radius 6378.14 km, orbit height 35786
    // km): azimuth 78.83°, range 39571 km, cos El = 0.9405 (which it prints
    // as 18.86°, a slip for 19.86°).
    const LookAngles southern = lookAngles({-20.0, -30.0}, 30.0);
    EXPECT_NEAR(78.83, southern.direction.azimuthDeg, 0.05);
    EXPECT_NEAR(std::acos(0.9405) / radian, southern.direction.elevationDeg, 0.05);
    EXPECT_NEAR(39571.0, southern.rangeKm, 5.0);
    // 37.229° N 80.438° W to a satellite at 121° W: azimuth 234.74°,
    // elevation 29.69° (worked with an orbit radius of 42242 km).
    const LookAngles virginia = lookAngles({37.229, -80.438}, -121.0);
    EXPECT_NEAR(234.74, virginia.direction.azimuthDeg, 0.05);
    EXPECT_NEAR(29.69, virginia.direction.elevationDeg, 0.05);
    // London to 19.2° E, worked by hand: 155.9°, 28.3°, a skew of 14.7°.
    const LookAngles london = lookAngles({51.51, -0.13}, 19.2);
    EXPECT_NEAR(155.9, london.direction.azimuthDeg, 0.05);
    EXPECT_NEAR(28.3, london.direction.elevationDeg, 0.05);
    EXPECT_NEAR(-14.7, london.direction.skewDeg, 0.05);
}

TEST(PointingLookAngles, AgreeWithTheTextbookFormulasEverywhere)
{
    // Az = 180 + atan(tan(site - satellite) / sin(lat)) north of the equator,
    // El = atan((cos(c) - 0.1513) / sin(c)) with cos(c) = cos(lat) cos(site -
    // satellite), skew = atan(sin(site - satellite) / tan(lat)).
    for (double lat = 5.0; lat <= 75.0; lat += 7.0) {
        for (double longitude = -170.0; longitude <= 170.0; longitude += 37.0) {
            for (double dLon = -70.0; dLon <= 70.0; dLon += 10.0) {
                const double satellite = longitude - dLon;
                const double c = std::acos(std::cos(lat * radian) * std::cos(dLon * radian));
                const double elevation = std::atan((std::cos(c) - earthRadiusKm / geostationaryRadiusKm) / std::sin(c));
                if (elevation < 0) continue;
                const LookAngles angles = lookAngles({lat, longitude}, satellite);
                const double azimuth = 180.0 + std::atan(std::tan(dLon * radian) / std::sin(lat * radian)) / radian;
                EXPECT_NEAR(azimuth, angles.direction.azimuthDeg, 1e-6) << lat << " " << dLon;
                EXPECT_NEAR(elevation / radian, angles.direction.elevationDeg, 1e-6) << lat << " " << dLon;
                const double skew = std::atan(std::sin(dLon * radian) / std::tan(lat * radian)) / radian;
                EXPECT_NEAR(skew, angles.direction.skewDeg, 1e-9) << lat << " " << dLon;
                // South of the equator the same with the latitude's sign turned: the skew turns too.
                EXPECT_NEAR(-skew, lookAngles({-lat, longitude}, satellite).direction.skewDeg, 1e-9);
            }
        }
    }
}

TEST(PointingLookAngles, TheSkewsSignFollowsAMakersChart)
{
    // A dish maker's polarization chart, facing the antenna: north of the
    // equator a site west of the satellite turns the feed clockwise (so
    // counterclockwise seen from behind), a site east of it counterclockwise
    // (clockwise from behind); south of the equator the other way round.
    EXPECT_LT(lnbSkewDeg({51.5, -0.13}, 19.2), 0.0);   // London, Astra in the south-east
    EXPECT_GT(lnbSkewDeg({55.75, 37.62}, 13.0), 0.0);  // Moscow, HotBird in the south-west
    EXPECT_GT(lnbSkewDeg({-33.87, 151.21}, 156.0), 0.0);
    EXPECT_LT(lnbSkewDeg({-33.87, 151.21}, 140.0), 0.0);
    // Due south or north of the site, upright; on the equator, a quarter turn.
    EXPECT_DOUBLE_EQ(0.0, lnbSkewDeg({45.0, 13.0}, 13.0));
    EXPECT_DOUBLE_EQ(90.0, std::fabs(lnbSkewDeg({0.0, 10.0}, 40.0)));
    EXPECT_DOUBLE_EQ(0.0, lnbSkewDeg({0.0, 10.0}, 10.0));
    // The exact projection of the satellite's vertical differs by at most a third of a degree.
    EXPECT_NEAR(15.84, lnbSkewDeg({55.75, 37.62}, 13.0), 0.01);
}

TEST(PointingLookAngles, TheUsalsAngleIsTheSatellitesHourAngle)
{
    // The hour angle from azimuth and elevation (the usual conversion from
    // horizontal to equatorial coordinates), east negative there.
    for (double lat : {-60.0, -33.0, 10.0, 51.5, 70.0}) {
        for (double dLon : {-60.0, -20.0, -1.0, 0.0, 5.0, 35.0, 70.0}) {
            const DishSite site{lat, 8.0};
            const DishPointing d = lookAngles(site, 8.0 + dLon).direction;
            const double az = d.azimuthDeg * radian, el = d.elevationDeg * radian, phi = lat * radian;
            const double hourAngle =
                std::atan2(-std::cos(el) * std::sin(az),
                           std::sin(el) * std::cos(phi) - std::cos(el) * std::sin(phi) * std::cos(az));
            EXPECT_NEAR(-hourAngle / radian, usalsAngleDeg(site, 8.0 + dLon), 1e-6) << lat << " " << dLon;
        }
    }
    EXPECT_NEAR(21.26, usalsAngleDeg({51.5, -0.13}, 19.2), 0.05);  // London to Astra: east
    EXPECT_NEAR(-26.82, usalsAngleDeg({55.75, 37.62}, 13.0), 0.05);
}

TEST(PointingLookAngles, ThePlatesTiltIsTheElevationLessTheOffset)
{
    EXPECT_NEAR(2.3, plateTiltDeg(28.3, 26.0), 1e-9);   // leans back
    EXPECT_NEAR(-6.0, plateTiltDeg(20.0, 26.0), 1e-9);  // leans forward
    EXPECT_NEAR(28.3, plateTiltDeg(28.3, 0.0), 1e-9);   // a prime-focus dish looks along its plate's axis
}

TEST(PointingMagneticModel, AgreesWithTheWmm2025ReportsTestValues)
{
    // The WMM2025 report's table: year, height (km), latitude, longitude, declination (°).
    struct Value {
        double year, heightKm, lat, lon, declination;
    };
    const Value table[] = {
        {2025.0, 0, 80, 0, 1.28},   {2025.0, 0, 0, 120, -0.16},   {2025.0, 0, -80, 240, 68.78},
        {2025.0, 100, 80, 0, 0.85}, {2025.0, 100, 0, 120, -0.15}, {2025.0, 100, -80, 240, 68.21},
        {2027.5, 0, 80, 0, 2.59},   {2027.5, 0, 0, 120, -0.24},   {2027.5, 0, -80, 240, 68.49},
        {2027.5, 100, 80, 0, 2.16}, {2027.5, 100, 0, 120, -0.23}, {2027.5, 100, -80, 240, 67.93},
    };
    for (const Value& v : table) {
        MagneticField field;
        ASSERT_TRUE(magneticFieldAt(wmm2025, v.lat, v.lon, v.heightKm, v.year, &field));
        EXPECT_NEAR(v.declination, field.declinationDeg, 0.006) << v.year << " " << v.heightKm << " " << v.lat;
    }
    // Some of NOAA's 100 test points (WMM2025 test values): north, east, down
    // (nT), inclination and declination (°).
    struct Point {
        double year, heightKm, lat, lon, north, east, down, inclination, declination;
    };
    const Point points[] = {
        {2025.0, 28, 89, -121, -255.388723, -1482.460628, 56194.288771, 88.47, -99.77},
        {2025.0, 51, -33, 109, 21737.778822, -2090.274098, -52710.003920, -67.50, -5.49},
        {2025.5, 63, 26, 81, 34802.613433, 308.431881, 30332.056989, 41.07, 0.51},
        {2026.5, 44, -46, -42, 13863.176808, -2785.834358, -19744.304022, -54.39, -11.36},
        {2027.5, 96, -46, -85, 18947.658009, 6129.590452, -21631.434316, -47.37, 17.93},
        {2028.5, 59, 32, 163, 28217.104175, 75.200106, 26405.862611, 43.10, 0.15},
        {2029.5, 77, -18, 138, 31751.497580, 2472.257962, -34817.395113, -47.55, 4.45},
    };
    for (const Point& p : points) {
        MagneticField field;
        ASSERT_TRUE(magneticFieldAt(wmm2025, p.lat, p.lon, p.heightKm, p.year, &field));
        EXPECT_NEAR(p.north, field.northNt, 0.05) << p.year << " " << p.lat;
        EXPECT_NEAR(p.east, field.eastNt, 0.05) << p.year << " " << p.lat;
        EXPECT_NEAR(p.down, field.downNt, 0.05) << p.year << " " << p.lat;
        EXPECT_NEAR(p.inclination, field.inclinationDeg, 0.006) << p.year << " " << p.lat;
        EXPECT_NEAR(p.declination, field.declinationDeg, 0.006) << p.year << " " << p.lat;
    }

    MagneticField pole;
    EXPECT_FALSE(magneticFieldAt(wmm2025, 90, 0, 0, 2026.0, &pole));
    EXPECT_TRUE(magneticModelCovers(wmm2025, 2025.0));
    EXPECT_TRUE(magneticModelCovers(wmm2025, 2030.0));
    EXPECT_FALSE(magneticModelCovers(wmm2025, 2024.999));
    EXPECT_FALSE(magneticModelCovers(wmm2025, 2030.001));
}

TEST(PointingSun, AgreesWithPyEphem)
{
    // PyEphem 4.1.4, no refraction: azimuth and elevation.
    struct Value {
        DishSite site;
        int64_t atMs;
        double azimuth, elevation;
    };
    const Value values[] = {
        {{55.75, 37.62}, utcMs(2025, 6, 21, 9, 0), 166.656, 57.173},
        {{-33.87, 151.21}, utcMs(2025, 12, 21, 2, 0), 351.363, 79.459},
        {{1.35, 103.82}, utcMs(2026, 3, 20, 4, 30), 98.107, 79.330},
        {{69.65, 18.96}, utcMs(2025, 6, 21, 23, 0), 3.189, 3.117},  // the midnight sun
        {{-54.8, -68.3}, utcMs(2027, 6, 21, 16, 0), 8.186, 11.400},
    };
    for (const Value& v : values) {
        const SkyDirection sun = sunDirection(v.site, v.atMs);
        EXPECT_NEAR(0.0, azimuthDifferenceDeg(sun.azimuthDeg, v.azimuth), 0.03) << v.site.latitudeDeg;
        EXPECT_NEAR(v.elevation, sun.elevationDeg, 0.03) << v.site.latitudeDeg;
    }
}

TEST(PointingSun, TheHoursItStandsAtAnAzimuth)
{
    // PyEphem's crossings, found the same way (ms since 1970, elevation).
    const int64_t moscowDay = utcMs(2025, 6, 20, 21, 0);
    std::vector<SunCrossing> moscow = sunAtAzimuth({55.75, 37.62}, 209.004, moscowDay, moscowDay + msPerDay);
    ASSERT_EQ(1u, moscow.size());
    EXPECT_NEAR(1750502495156.0, static_cast<double>(moscow[0].atMs), 10000.0);
    EXPECT_NEAR(55.194, moscow[0].elevationDeg, 0.03);

    // Near the tropic in June the sun culminates beyond the zenith and turns
    // back through an azimuth north of east: two hours, in time order.
    const int64_t havanaDay = utcMs(2025, 6, 21, 5, 0);
    const std::vector<SunCrossing> havana = sunAtAzimuth({23.11, -82.37}, 75.0, havanaDay, havanaDay + msPerDay);
    ASSERT_EQ(2u, havana.size());
    EXPECT_NEAR(1750510932656.0, static_cast<double>(havana[0].atMs), 10000.0);
    EXPECT_NEAR(1750526758593.0, static_cast<double>(havana[1].atMs), 10000.0);
    EXPECT_NEAR(28.813, havana[0].elevationDeg, 0.03);
    EXPECT_NEAR(88.715, havana[1].elevationDeg, 0.03);
    // Not where it never gets: the south from there, that day.
    EXPECT_TRUE(sunAtAzimuth({23.11, -82.37}, 180.0, havanaDay, havanaDay + msPerDay).empty());

    // Tromsø: the midnight sun passes every azimuth once; in the polar night none.
    const int64_t june = utcMs(2025, 6, 20, 22, 0), december = utcMs(2025, 12, 20, 23, 0);
    const std::vector<SunCrossing> summer = sunAtAzimuth({69.65, 18.96}, 179.744, june, june + msPerDay);
    ASSERT_EQ(1u, summer.size());
    EXPECT_NEAR(1750502711718.0, static_cast<double>(summer[0].atMs), 10000.0);
    EXPECT_EQ(1u, sunAtAzimuth({69.65, 18.96}, 0.0, june, june + msPerDay).size());
    EXPECT_TRUE(sunAtAzimuth({69.65, 18.96}, 179.744, december, december + msPerDay).empty());
    // The sun below the horizon at that azimuth does not count: Moscow's north at midnight.
    EXPECT_TRUE(sunAtAzimuth({55.75, 37.62}, 0.0, moscowDay, moscowDay + msPerDay).empty());
    // The azimuth opposite the sun's (where its offset jumps across 180°) is no crossing.
    for (const SunCrossing& c : sunAtAzimuth({55.75, 37.62}, 29.0, moscowDay, moscowDay + msPerDay))
        EXPECT_NEAR(0.0, azimuthDifferenceDeg(sunDirection({55.75, 37.62}, c.atMs).azimuthDeg, 29.0), 0.01);
}

TEST(PointingFigures, TodayIsThePhonesLocalDayAndTheModelIsNeverStretched)
{
    PointingQuestion question;
    question.site = {55.75, 37.62};
    question.satelliteLongitudeDeg = 13.0;
    question.zoneMinutes = 180;
    // 23:30 in Moscow on 21 June is 20:30 UTC: the day is Moscow's 21 June, not UTC's.
    question.unixMs = utcMs(2025, 6, 21, 20, 30);
    PointingFigures f = pointingFigures(question);
    ASSERT_EQ(1u, f.sunCrossings.size());
    EXPECT_GE(f.sunCrossings[0].atMs, utcMs(2025, 6, 20, 21, 0));
    EXPECT_LT(f.sunCrossings[0].atMs, utcMs(2025, 6, 21, 21, 0));
    question.zoneMinutes = -600;  // the same moment is 10:30 on 21 June ten hours west of UTC
    f = pointingFigures(question);
    ASSERT_EQ(1u, f.sunCrossings.size());
    EXPECT_GE(f.sunCrossings[0].atMs, utcMs(2025, 6, 21, 10, 0));

    EXPECT_EQ(DeclinationKnown, f.declinationState);
    EXPECT_NEAR(f.look.direction.azimuthDeg - f.declinationDeg, f.magneticAzimuthDeg, 1e-9);
    question.unixMs = utcMs(2024, 12, 31, 23, 59);
    EXPECT_EQ(DeclinationBeforeModel, pointingFigures(question).declinationState);
    question.unixMs = utcMs(2030, 1, 1, 0, 1);
    EXPECT_EQ(DeclinationAfterModel, pointingFigures(question).declinationState);
    question.unixMs = utcMs(2026, 1, 1, 0, 0);
    question.site = {90.0, 0.0};
    EXPECT_EQ(DeclinationAtPole, pointingFigures(question).declinationState);

    question.site = {55.75, 37.62};
    EXPECT_EQ(SatelliteVisible, pointingFigures(question).visibility);
    question.satelliteLongitudeDeg = -35.0;  // low in the south-west
    EXPECT_EQ(SatelliteLow, pointingFigures(question).visibility);
    question.satelliteLongitudeDeg = -103.0;
    EXPECT_EQ(SatelliteBelowHorizon, pointingFigures(question).visibility);
}

TEST(PointingTime, CalendarDaysAndLocalTimes)
{
    for (int64_t days = -800000; days <= 800000; days += 997) {
        const CivilDate date = civilFromDays(days);
        EXPECT_EQ(days, daysFromCivil(date));
    }
    EXPECT_EQ(0, daysFromCivil({1970, 1, 1}));
    EXPECT_EQ(19723, daysFromCivil({2024, 1, 1}));
    EXPECT_EQ(60, daysFromCivil({2024, 3, 1}) - daysFromCivil({2024, 1, 1}));  // a leap year
    EXPECT_EQ(-1, daysFromCivil({1969, 12, 31}));
    EXPECT_NEAR(2025.0, decimalYear(utcMs(2025, 1, 1, 0, 0)), 1e-12);
    EXPECT_NEAR(2024.5, decimalYear(utcMs(2024, 7, 2, 0, 0)), 1e-12);  // 183 of 366 days

    EXPECT_EQ(utcMs(2025, 6, 20, 21, 0), localDayStartMs(utcMs(2025, 6, 21, 20, 59), 180));
    EXPECT_EQ(utcMs(2025, 6, 21, 21, 0), localDayStartMs(utcMs(2025, 6, 21, 21, 0), 180));
    EXPECT_EQ(utcMs(1969, 12, 31, 10, 0), localDayStartMs(utcMs(1970, 1, 1, 3, 0), -600));
    EXPECT_EQ("23:59", localClockText(utcMs(2025, 6, 21, 20, 59) + 29999, 180));
    EXPECT_EQ("00:00", localClockText(utcMs(2025, 6, 21, 20, 59) + 30000, 180));
    EXPECT_EQ("04:30", localClockText(utcMs(2025, 6, 21, 8, 0), -210));

    int64_t ms = 0;
    int32_t zone = 0;
    bool zoneGiven = false;
    ASSERT_TRUE(parseLocalTime("2025-06-21T12:00+03:00", 60, &ms, &zone, &zoneGiven));
    EXPECT_EQ(utcMs(2025, 6, 21, 9, 0), ms);
    EXPECT_EQ(180, zone);
    EXPECT_TRUE(zoneGiven);
    ASSERT_TRUE(parseLocalTime("2025-06-21T12:00", 60, &ms, &zone, &zoneGiven));
    EXPECT_EQ(utcMs(2025, 6, 21, 11, 0), ms);
    EXPECT_EQ(60, zone);
    EXPECT_FALSE(zoneGiven);
    for (const char* good :
         {"2025-06-21T09:00Z", "2025-06-21 09:00z", "2025-06-21T07:00-0200", "2025-06-21T08:00-01"}) {
        ASSERT_TRUE(parseLocalTime(good, 0, &ms, &zone)) << good;
        EXPECT_EQ(utcMs(2025, 6, 21, 9, 0), ms) << good;
    }
    ASSERT_TRUE(parseLocalTime("2024-02-29T00:00Z", 0, &ms, &zone));
    for (const char* bad : {"2025-02-29T00:00Z", "2025-13-01T00:00", "2025-06-21T24:00", "2025-06-21T12:60",
                            "2025-06-21", "2025-6-21T12:00", "2025-06-21T12:00+15:00", "2025-06-21T12:00+03:60",
                            "2025-06-21T12:00 +03", "1900-12-31T12:00", "2100-01-01T00:00", "2025-06-21T12:00+0"})
        EXPECT_FALSE(parseLocalTime(bad, 0, &ms, &zone)) << bad;
}

}  // namespace
