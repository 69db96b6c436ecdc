// The installer's clear-sky figures for the arc check on a real dish: a
// file as people write one (comments, CR LF, a comma or blanks) reads, a
// line that does not is named with its number, and each satellite takes
// the figure of its position only.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/motor/arc_reference.h"

namespace {

ArcSatellite satelliteAt(double longitudeDeg) { return ArcSatellite{"", longitudeDeg, 11362, 0, 27500, std::nan("")}; }

TEST(ArcReference, AFileAsPeopleWriteItReadsAndABadLineIsNamed)
{
    std::vector<ArcReference> references;
    std::string problem;
    ASSERT_TRUE(parseArcReferences("# measured 2026-12-01, dish peaked by hand\r\n"
                                   "19.2E 15.2\r\n"
                                   "\r\n"
                                   "  13.0e,\t14.8   # HotBird\r\n"
                                   "30.0W, -1.5\r\n"
                                   "5.0W 9",
                                   &references, &problem))
        << problem;
    ASSERT_EQ(4u, references.size());
    EXPECT_DOUBLE_EQ(19.2, references[0].longitudeDeg);
    EXPECT_DOUBLE_EQ(15.2, references[0].clearSkyCnDb);
    EXPECT_DOUBLE_EQ(13.0, references[1].longitudeDeg);
    EXPECT_DOUBLE_EQ(14.8, references[1].clearSkyCnDb);
    EXPECT_DOUBLE_EQ(-30.0, references[2].longitudeDeg);
    EXPECT_DOUBLE_EQ(-1.5, references[2].clearSkyCnDb);
    EXPECT_DOUBLE_EQ(9.0, references[3].clearSkyCnDb);
    EXPECT_TRUE(parseArcReferences("", &references, &problem));
    EXPECT_TRUE(references.empty());

    for (const char* bad : {"19.2 15.2", "19.2E", "19.2E ,", "Astra 19.2E 15.2", "19.2E 15.2 dB", "19.2E 41",
                            "190.0E 12", "19.2E -10.5", "19.2E 1e1"}) {
        references.assign(1, ArcReference{1, 1});
        problem.clear();
        EXPECT_FALSE(parseArcReferences(std::string("# first\n") + bad + "\n", &references, &problem)) << bad;
        EXPECT_EQ(0u, problem.find(std::string("line 2 \"") + bad + "\" is not POSITION CN_DB")) << problem;
        EXPECT_EQ(1u, references.size()) << "left as it was: " << bad;
    }
}

TEST(ArcReference, EachSatelliteTakesTheFigureOfItsOwnPositionOnly)
{
    std::vector<ArcSatellite> satellites = {satelliteAt(19.2), satelliteAt(13.0), satelliteAt(-30.0),
                                            satelliteAt(28.2)};
    satellites[3].clearSkyCnDb = 11.0;  // a simulator's figure stays where no reference is
    const std::vector<ArcReference> references = {{13.0, 14.8}, {19.3, 9.9}, {-30.0, 12.5}, {13.0, 1.0}};
    EXPECT_EQ(2u, applyArcReferences(references, satellites));
    EXPECT_TRUE(std::isnan(satellites[0].clearSkyCnDb)) << "19.3 is another position";
    EXPECT_DOUBLE_EQ(14.8, satellites[1].clearSkyCnDb) << "the first line of a position counts";
    EXPECT_DOUBLE_EQ(12.5, satellites[2].clearSkyCnDb);
    EXPECT_DOUBLE_EQ(11.0, satellites[3].clearSkyCnDb);
}

}  // namespace
