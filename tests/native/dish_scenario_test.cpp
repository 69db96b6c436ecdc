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
