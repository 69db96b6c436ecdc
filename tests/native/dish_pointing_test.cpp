// The practice dish's "where to point": the same figures as the phone page
// and azimora-dvb --point, in short lines on the sky chart, under the arc
// and above the horizon, clear of every satellite's mark.
#include <gtest/gtest.h>

#include "cardbase/pointing/civil_time.h"
#include "sim/dish/dish_picture.h"
#include "sim/dish/dish_pointing.h"
#include "tests/native/committed_file.h"

namespace {

int32_t moscowZone(int64_t) { return 180; }
int32_t utc(int64_t) { return 0; }

int hotBirdIn(const DishModel& model)
{
    for (size_t i = 0; i < model.sky.size(); ++i)
        if (model.sky[i].longitudeDeg == 13.0) return static_cast<int>(i);
    return -1;
}

TEST(DishPointing, TheFiguresForTheSiteAndTheSatellite)
{
    const DishModel model = newDishModel(DishSetup(), skyFromCatalogue(committedFile("resources/satellite.ini")));
    const int hotBird = hotBirdIn(model);
    ASSERT_GE(hotBird, 0);
    // Moscow, 21 June 2025, 12:00 in Moscow; the sun at HotBird's azimuth at
    // 13:42 (PyEphem: 10:41:35 UTC, 55.19°).
    const int64_t noon = daysFromCivil({2025, 6, 21}) * msPerDay + 9 * 3600000;
    const std::vector<std::string> lines = dishPointingLines(model, hotBird, noon, moscowZone);
    const std::vector<std::string> expected = {
        "USALS 26.8W",        "sun there 13:42, 55 high",  "magnetic az 197.0 (12.0E WMM2025)",
        "LNB 15.8 clockwise", "seen from behind the dish",
    };
    EXPECT_EQ(expected, lines);
    EXPECT_TRUE(dishPointingLines(model, -1, noon, moscowZone).empty());
    // Beyond the magnetic model, no declination is made up.
    const int64_t later = daysFromCivil({2031, 1, 1}) * msPerDay;
    EXPECT_EQ("magnetic az unknown: WMM2025 is for 2025-2030", dishPointingLines(model, hotBird, later, utc)[2]);
}

TEST(DishPointing, TheLinesStandUnderTheArcClearOfTheSatellites)
{
    const DishModel model = newDishModel(DishSetup(), skyFromCatalogue(committedFile("resources/satellite.ini")));
    DishView view = dishView(model, 0);
    view.whereToPoint = {"USALS 26.8W", "sun there 13:42, 55 high", "magnetic az 197.0 (12.0E WMM2025)",
                         "LNB 14.7 counterclockwise", "seen from behind the dish"};
    for (const PixelPoint size : {PixelPoint{900, 257}, PixelPoint{dishMinimumWidth, dishMinimumHeight}}) {
        const DishLayout layout = dishLayout(size.x, size.y, model.site);
        const SkyPicture sky = dishPicture(model, view, SignalHistory(), layout, -1).sky;
        const std::vector<PictureLabel>& lines = sky.underSight;
        // All of them where the window has its usual size; where it is
        // narrow, those that would cover a satellite are left out.
        if (size.x == 900) ASSERT_EQ(5u, lines.size());
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ("seen from behind the dish", lines[0].text);
        EXPECT_EQ("LNB 14.7 counterclockwise", lines[1].text);
        EXPECT_EQ(sky.horizonY - 2, lines.front().at.y + dishLabelHeight);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(AlignCentre, lines[i].align);
            EXPECT_EQ((sky.chart.plot.left + sky.chart.plot.right) / 2, lines[i].at.x);
            if (i > 0) EXPECT_EQ(lines[i - 1].at.y - dishLabelHeight, lines[i].at.y);
            // No satellite's mark under a line: 7 pixels a character.
            const int half = static_cast<int>(lines[i].text.size()) * 7 / 2;
            for (const SkyMark& mark : sky.marks) {
                const bool inside = mark.at.x >= lines[i].at.x - half && mark.at.x <= lines[i].at.x + half &&
                                    mark.at.y >= lines[i].at.y && mark.at.y <= lines[i].at.y + dishLabelHeight;
                EXPECT_FALSE(inside) << lines[i].text << " over a mark at " << mark.at.x << "," << mark.at.y;
            }
        }
    }
}

}  // namespace
