// The scenario words that set up the simulated dish.
#include <algorithm>
#include <gtest/gtest.h>

#include "sim/card/scenario.h"

TEST(DishScenario, WordsSetUpTheDish)
{
    EXPECT_FALSE(parseScenario("signal 0 lock 50 10\n", nullptr).dish.enabled);

    std::string errors;
    Scenario s = parseScenario("dish\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.dish.enabled);
    EXPECT_FALSE(s.dish.window);
    EXPECT_DOUBLE_EQ(55.75, s.dish.site.latitudeDeg);
    EXPECT_DOUBLE_EQ(0.8, s.dish.diameterM);
    EXPECT_DOUBLE_EQ(180.0, s.dish.pointing.azimuthDeg);
    EXPECT_EQ(defaultLnbPorts, s.dish.lnbPorts);

    s = parseScenario("site -33.9 18.4   # Cape Town\n"
                      "diameter 1.2\n"
                      "point 350.5 47 -12.5\n"
                      "lnb 2 5\n"
                      "window\n",
                      &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.dish.enabled);  // any dish word switches it on
    EXPECT_TRUE(s.dish.window);
    EXPECT_DOUBLE_EQ(-33.9, s.dish.site.latitudeDeg);
    EXPECT_DOUBLE_EQ(18.4, s.dish.site.longitudeDeg);
    EXPECT_DOUBLE_EQ(1.2, s.dish.diameterM);
    EXPECT_DOUBLE_EQ(350.5, s.dish.pointing.azimuthDeg);
    EXPECT_DOUBLE_EQ(47.0, s.dish.pointing.elevationDeg);
    EXPECT_DOUBLE_EQ(-12.5, s.dish.pointing.skewDeg);
    EXPECT_EQ(diseqcPortBit(2) | diseqcPortBit(5), s.dish.lnbPorts);
    EXPECT_FALSE(s.dish.aimed);

    // The later of "aim" and "point" wins; "point" without a skew means none.
    s = parseScenario("point 100 10 5\naim 13.0e\n", nullptr);
    EXPECT_TRUE(s.dish.aimed);
    EXPECT_DOUBLE_EQ(13.0, s.dish.aimLongitudeDeg);
    s = parseScenario("aim 103.0w\npoint 100 10\n", nullptr);
    EXPECT_FALSE(s.dish.aimed);
    EXPECT_DOUBLE_EQ(0.0, s.dish.pointing.skewDeg);
    EXPECT_DOUBLE_EQ(-103.0, parseScenario("aim 103.0w\n", nullptr).dish.aimLongitudeDeg);
}

TEST(DishScenario, FaultsBreakTheInstallationOnPurpose)
{
    std::string errors;
    Scenario s = parseScenario("fault no-tone\nfault no-18v\nfault port A\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.dish.enabled);
    EXPECT_TRUE(s.dish.toneLost && s.dish.eighteenLost);
    EXPECT_EQ(diseqcPortBit(0), s.dish.lnbPorts);  // "A" and "AA" pick the same port
    s = parseScenario("lnb 0 2 4 5\nfault port BA\n", &errors);
    EXPECT_EQ(diseqcPortBit(0) | diseqcPortBit(5), s.dish.lnbPorts);
    for (const char* wrong : {"fault\n", "fault no-22k\n", "fault port\n", "fault port C\n", "fault no-tone x\n"}) {
        errors.clear();
        s = parseScenario(wrong, &errors);
        EXPECT_NE("", errors) << wrong;
        EXPECT_FALSE(s.dish.toneLost || s.dish.eighteenLost) << wrong;
        EXPECT_EQ(defaultLnbPorts, s.dish.lnbPorts) << wrong;
    }
}

TEST(DishScenario, BadDishLinesAreReportedAndChangeNothing)
{
    const char* bad[] = {"site 91 0",    "site 50",      "site 50 10 x",    "site 50 east",
                         "diameter 0.1", "diameter 11",  "diameter",        "point 361 10",
                         "point 100 -1", "point 100 91", "point 100 10 91", "point 100 10 5 6",
                         "point 100",    "aim 13.0",     "aim north",       "aim",
                         "lnb",          "lnb 7",        "lnb 1.5",         "lnb 1 x",
                         "dish now",     "window 2",     "lnb -1"};
    for (const char* line : bad) {
        std::string errors;
        const Scenario s = parseScenario(std::string(line) + "\n", &errors);
        EXPECT_EQ(std::string("unknown scenario line: ") + line + "\n", errors);
        EXPECT_FALSE(s.dish.enabled) << line;
        EXPECT_EQ(defaultLnbPorts, s.dish.lnbPorts) << line;
        EXPECT_DOUBLE_EQ(180.0, s.dish.pointing.azimuthDeg) << line;
    }
}

// The modulation and code rate the simulated card reports: plausible ones
// for every transponder of the sky, what a scenario names instead, or none.
TEST(DishScenario, ModcodLinesNameWhatTheTranspondersCarry)
{
    std::string errors;
    Scenario s = parseScenario("modcod S2-8PSK-3/4\n"
                               "modcod 10723h29900 S-QPSK-5/6\n"
                               "modcod 11607H27500 s2-qpsk-2/3\n",
                               &errors);
    EXPECT_EQ("", errors);
    EXPECT_TRUE(s.reportsModcod);
    ASSERT_EQ(3u, s.modcods.size());
    EXPECT_TRUE(s.modcods[0].everyTransponder);
    EXPECT_FALSE(s.modcods[1].everyTransponder);
    EXPECT_EQ(10723, s.modcods[1].frequencyMHz);
    EXPECT_EQ(0, s.modcods[1].polarization);
    EXPECT_EQ(29900, s.modcods[1].symbolRate);
    Modcod reported;
    ASSERT_TRUE(scenarioModcod(s, &reported));
    EXPECT_EQ("S2-8PSK-3/4", modcodText(reported));

    std::vector<Satellite> sky = {Satellite{
        "A 13.0e",
        13.0,
        {Transponder{10723, 0, 29900, 50.0}, Transponder{10723, 1, 29900, 50.0}, Transponder{11607, 0, 27500, 50.0}}}};
    applyScenarioModcods(s, sky);
    EXPECT_EQ("S-QPSK-5/6", modcodText(sky[0].transponders[0].modcod));
    EXPECT_EQ("S2-8PSK-3/4", modcodText(sky[0].transponders[1].modcod));  // another polarization
    EXPECT_EQ("S2-QPSK-2/3", modcodText(sky[0].transponders[2].modcod));

    s = parseScenario("modcod S-QPSK-3/4\nmodcod none\n", &errors);
    EXPECT_FALSE(s.reportsModcod);
    EXPECT_FALSE(scenarioModcod(s, &reported));
    EXPECT_FALSE(scenarioModcod(parseScenario("signal 0 lock 50 10\n", nullptr), &reported));

    errors.clear();
    parseScenario("modcod\nmodcod S-8PSK-3/4\nmodcod 10723h29900\nmodcod 10723x29900 S-QPSK-3/4\n"
                  "modcod 10723h29900 S-QPSK-3/4 extra\nmodcod none S-QPSK-3/4\n",
                  &errors);
    EXPECT_EQ(6, std::count(errors.begin(), errors.end(), '\n'));
}

TEST(DishScenario, EveryTransponderOfTheSkyCarriesAPlausibleModulation)
{
    const std::vector<Satellite> sky = skyFromCatalogue(
        "[HotBird1-6   13.0e]=10723h29900;[AMC1   103.0w]=3740v29270;[Astra1B1H,2C   19.2e]=12515h22000;");
    ASSERT_EQ(3u, sky.size());
    int dvbs2 = 0, dvbs = 0;
    for (const Satellite& satellite : sky) {
        for (const Transponder& t : satellite.transponders) {
            EXPECT_TRUE(hasThreshold(t.modcod)) << t.frequencyMHz;
            // C band stays DVB-S QPSK; about 30 MS/s in Ku band is DVB-S2 8PSK.
            if (t.frequencyMHz < 5000) EXPECT_EQ(ModDvbS, t.modcod.system) << t.frequencyMHz;
            if (t.frequencyMHz > 10000 && t.symbolRate >= 29000)
                EXPECT_EQ("S2-8PSK", modcodText(t.modcod).substr(0, 7)) << t.frequencyMHz;
            (t.modcod.system == ModDvbS2 ? dvbs2 : dvbs)++;
        }
    }
    EXPECT_GT(dvbs2, 0);
    EXPECT_GT(dvbs, 0);
    // The same sky every run.
    EXPECT_EQ(modcodText(sky[2].transponders[0].modcod),
              modcodText(skyFromCatalogue("[Astra1B1H,2C   19.2e]=12515h22000;")[0].transponders[0].modcod));
}
