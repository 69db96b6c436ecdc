// Rewriting one satellite's line of satellite.ini: only its parameters
// change, in the case its letter had, and the result reads as Azimora reads
// it (its own list and entry reading); a catalogue that breaks Azimora's line
// rules, a line that is not there and values a line cannot hold are refused.
#include <gtest/gtest.h>

#include "catalogue/catalogue_entry.h"
#include "catalogue/catalogue_list.h"
#include "dvb/helper/survey/catalogue_update.h"
#include "tests/native/committed_file.h"

namespace {

static std::string shippedCatalogue() { return committedFile("resources/satellite.ini"); }

TEST(DvbCatalogueUpdate, OnlyTheSatellitesParametersChangeAndAzimoraReadsThem)
{
    const std::string shipped = shippedCatalogue();
    ASSERT_EQ(3516u, shipped.size());
    EXPECT_EQ("", catalogueRuleBreak(shipped));
    std::string rewritten, problem;
    ASSERT_TRUE(rewriteCatalogueLine(shipped, "HotBird1-6   13.0e", 10758, 1, 27500, &rewritten, &problem)) << problem;
    const size_t at = shipped.find("[HotBird1-6   13.0e]=10723h29900;");
    ASSERT_NE(std::string::npos, at);
    std::string expected = shipped;
    expected.replace(at, 33, "[HotBird1-6   13.0e]=10758v27500;");
    EXPECT_EQ(expected, rewritten);
    // Entry 53 as Azimora's start reads it, and its list still has 100 lines.
    TuningParameters tuning;
    char banner[32];
    ASSERT_EQ(CatalogueOk, examineCatalogueEntry(rewritten.data(), rewritten.size(), 53, tuning, banner));
    EXPECT_EQ(10758, tuning.frequencyMHz);
    EXPECT_EQ(Vertical, tuning.polarization);
    EXPECT_EQ(27500, tuning.symbolRate);
    size_t lines = 0;
    fillCatalogueList(
        rewritten.data(), rewritten.size(), [](void* count, const char*, size_t) { ++*static_cast<size_t*>(count); },
        &lines);
    EXPECT_EQ(100u, lines);

    // Shorter values shorten the line; a C band frequency has four digits; a capital letter stays capital.
    const std::string own = "[Alpha   1.0e]=11000H27500;\r\n[Beta   2.0e]=3700v4000;\r\n[Gamma 3.0w]=12000v30000;";
    ASSERT_TRUE(rewriteCatalogueLine(own, "Alpha   1.0e", 3745, 1, 2170, &rewritten, &problem)) << problem;
    EXPECT_EQ("[Alpha   1.0e]=3745V2170;\r\n[Beta   2.0e]=3700v4000;\r\n[Gamma 3.0w]=12000v30000;", rewritten);
    ASSERT_TRUE(rewriteCatalogueLine(own, "Gamma 3.0w", 11727, 0, 44950, &rewritten, &problem)) << problem;
    EXPECT_EQ("[Alpha   1.0e]=11000H27500;\r\n[Beta   2.0e]=3700v4000;\r\n[Gamma 3.0w]=11727h44950;", rewritten);
}

TEST(DvbCatalogueUpdate, WhatAzimoraWouldMisreadIsNeverWritten)
{
    const std::string good = "[Alpha   1.0e]=11000h27500;\r\n[Beta   2.0e]=3700v4000;\r\n";
    std::string rewritten = "untouched", problem;
    // No such line: names are compared whole.
    EXPECT_FALSE(rewriteCatalogueLine(good, "Alpha", 11034, 1, 27500, &rewritten, &problem));
    EXPECT_NE(std::string::npos, problem.find("no line [Alpha]"));
    // Values a line cannot hold or Azimora refuses.
    struct Values {
        int32_t frequencyMHz, polarization, symbolRate;
    };
    for (const Values& values : {Values{19700, 0, 27500}, Values{5000, 0, 27500}, Values{11034, 0, 500},
                                 Values{11034, 0, 45001}, Values{11034, 2, 27500}, Values{3399, 1, 27500}}) {
        EXPECT_FALSE(rewriteCatalogueLine(good, "Beta   2.0e", values.frequencyMHz, values.polarization,
                                          values.symbolRate, &rewritten, &problem))
            << values.frequencyMHz << " " << values.symbolRate;
        EXPECT_NE(std::string::npos, problem.find("would not read")) << problem;
    }
    // A file that already breaks the rules is left as it is.
    for (const char* broken :
         {"\r\n[Alpha   1.0e]=11000h27500;", "[Alpha   1.0e]=11000h27500;\n[Beta   2.0e]=3700v4000;",
          "[Alpha [1.0e]=11000h27500;", "[Alpha   1.0e] =11000h27500;",
          "[Alpha   1.0e]=11000h27500;\r\n[Beta]]=3700v4000;", "[Alpha\r\n]=11000h27500;", "[Alpha   1.0e]=11000h27500",
          "[Alpha   1.0e]=11000h27500;\r\n;"}) {
        EXPECT_NE("", catalogueRuleBreak(broken)) << broken;
        EXPECT_FALSE(rewriteCatalogueLine(broken, "Alpha   1.0e", 11034, 1, 27500, &rewritten, &problem)) << broken;
        EXPECT_NE(std::string::npos, problem.find("breaks Azimora's line rules")) << problem;
    }
    EXPECT_EQ("untouched", rewritten);
    EXPECT_EQ("line 2: the \";\" is not followed by CR, LF and the next \"[\"",
              catalogueRuleBreak("[A 1.0e]=11000h27500;\r\n[B 2.0e]=3700v4000;\n[C 3.0e]=3700v4000;"));
}

}  // namespace
