// azimora-dvb's own measurements in the record: --status --tune gives one
// entry in $XDG_DATA_HOME/azimora whose figures are the ones it printed, a
// tune that never locks is an entry too, and --site gives the pointing.
#include <gtest/gtest.h>

#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_files.h"
#include "dvb/helper/exit_codes.h"
#include "tests/native/committed_file.h"
#include "tests/native/dvb_helper_process.h"

namespace {

CsvTable recordOf(const HelperFiles& files) { return readCsvText(fileText(files.folder + "/azimora/record.csv")); }

TEST(DvbRecord, StatusWithTuneRecordsWhatItPrinted)
{
    const HelperFiles files = helperFiles("0 lock 11\nstream 0x0403 1\nnit actual 1 Astra\nentry 0x0403 1 19.2E\n"
                                          "transponder DVB-S2 8PSK 3/4\n");
    const HelperResult result =
        runHelper({"--simulate", files.simulation, "--status", "--tune", "11494H22000", "--site", "50.11,8.68"}, files);
    ASSERT_EQ(ExitOk, result.exitCode) << result.output;
    const CsvTable table = recordOf(files);
    ASSERT_EQ(1u, table.rows.size()) << result.output;
    const auto value = [&](const char* column) { return csvValue(table, table.rows[0], column); };
    EXPECT_EQ(0u, value("card").find("azimora-dvb ")) << value("card");
    EXPECT_EQ("11494", value("frequency_mhz"));
    EXPECT_EQ("H", value("polarisation"));
    EXPECT_EQ("22000", value("symbol_rate_ksps"));
    EXPECT_EQ("low", value("band"));
    EXPECT_EQ("9750", value("lnb_lo_mhz"));
    EXPECT_EQ("11.00", value("cn_median_db"));
    EXPECT_NE(std::string::npos, result.output.find("c/n: 11.0 dB")) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("quality: " + value("quality_peak_percent") + " %"))
        << result.output;
    EXPECT_NE(std::string::npos, result.output.find("margin: +" + value("margin_db") + " dB (" + value("verdict")))
        << result.output;
    EXPECT_EQ("Astra", value("network_name"));
    EXPECT_EQ("19.2E", value("network_position"));
    EXPECT_EQ("19.2E", value("satellite_position"));
    EXPECT_EQ("50.1100", value("site_latitude"));
    EXPECT_FALSE(value("elevation_deg").empty());
    EXPECT_EQ("100.0", value("locked_percent"));
    // Its series is kept, and nothing is left aside.
    EXPECT_FALSE(readCsvText(fileText(files.folder + "/azimora/record-series.csv")).rows.empty());
    for (const std::string& name : folderFiles(files.folder + "/azimora")) EXPECT_NE(0u, name.find("running-")) << name;
}

TEST(DvbRecord, ATuneThatNeverLocksIsAnEntryToo)
{
    const HelperFiles files = helperFiles("0 nolock\n");
    const HelperResult result = runHelper({"--simulate", files.simulation, "--status", "--tune", "11362H27500"}, files);
    EXPECT_EQ(ExitNoLock, result.exitCode) << result.output;
    const CsvTable table = recordOf(files);
    ASSERT_EQ(1u, table.rows.size()) << result.output;
    EXPECT_EQ("no lock", csvValue(table, table.rows[0], "verdict"));
    EXPECT_EQ(0u, csvValue(table, table.rows[0], "note").find("no lock in ")) << csvValue(table, table.rows[0], "note");
    EXPECT_EQ("", csvValue(table, table.rows[0], "azimuth_deg"));  // no --site
}

}  // namespace
