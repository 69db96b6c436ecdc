// The files named on azimora-dvb's command line: regular files only, read
// within bounds, checked whole; a log that cannot be written is said.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/frontend_log.h"
#include "tests/native/committed_file.h"
#include "tests/native/dvb_helper_process.h"

namespace {

static HelperResult simulatedFrom(const std::string& path, const HelperFiles& files,
                                  std::vector<std::string> more = {"--status"})
{
    more.insert(more.begin(), {"--simulate", path});
    return runHelper(more, files);
}

TEST(DvbHelperFiles, ASimulationIsARegularFileOfBoundedText)
{
    const HelperFiles files = helperFiles("");
    const std::string fifo = files.folder + "/fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    struct Case {
        std::string path;
        const char* message;
    };
    const Case notText[] = {
        {fifo, ": is not a regular file"},
        {"/dev/zero", ": is not a regular file"},
        {files.folder, ": is not a regular file"},
    };
    for (const Case& c : notText) {
        const HelperResult result = simulatedFrom(c.path, files);
        EXPECT_EQ(ExitFailure, result.exitCode) << c.path;
        EXPECT_NE(std::string::npos, result.output.find("cannot read the simulation file " + c.path + c.message))
            << result.output;
    }
    const HelperFiles large = helperFiles(std::string(70000, '#'));
    const HelperResult tooLarge = simulatedFrom(large.simulation, large);
    EXPECT_EQ(ExitFailure, tooLarge.exitCode);
    EXPECT_NE(std::string::npos, tooLarge.output.find("is larger than 65536 bytes")) << tooLarge.output;

    // A zero byte inside a number, and more delivery systems than a
    // frontend can have (libdvbv5 keeps 20).
    std::string systems = "systems";
    for (int i = 0; i < 30; ++i) systems += " DVB-S DVB-S2";
    const std::pair<std::string, const char*> wrong[] = {
        {std::string("0 lock 1\0"
                     "99\n",
                     10),
         "is wrong at line 1: a zero byte"},
        {systems + "\n", "is wrong at line 1: delivery system \"DVB-S\" named twice"},
    };
    for (const auto& c : wrong) {
        const HelperFiles each = helperFiles(c.first);
        const HelperResult result = simulatedFrom(each.simulation, each);
        EXPECT_EQ(ExitFailure, result.exitCode);
        EXPECT_NE(std::string::npos, result.output.find(c.second)) << result.output;
    }
}

TEST(DvbHelperFiles, TheLogIsARegularFileAndAWriteThatFailsIsSaid)
{
    const HelperFiles files = helperFiles("0 lock 10\n");
    const std::string fifo = files.folder + "/log-fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const HelperResult result = simulatedFrom(files.simulation, files, {"--log", fifo, "--status"});
    EXPECT_EQ(ExitFailure, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("cannot write the log " + fifo + ": is not a regular file"))
        << result.output;

    // No room on the disk: the file size limit (one block) stands in for it,
    // and a few starts fill it.
    ServingHelper helper;
    HelperSurroundings full;
    full.fileSizeLimit = 1;
    ASSERT_TRUE(startServing(helper, "0 lock 10\n", {}, full));
    ASSERT_TRUE(connectToHelper(helper));
    ASSERT_EQ("ok", ask(helper, "Initialize"));
    for (int start = 0; start < 10; ++start)
        for (const char* call : {"SetLnbSelection 1", "SetLnbFrequency 10600", "SetPolarity 0", "SetSymbolRate 27500",
                                 "SetTransponderFrequency 12245", "SetDiseqc 0"})
            ask(helper, call);
    EXPECT_EQ(0, stopServing(helper));
    const std::string output = fileText(helper.files.output);
    EXPECT_NE(std::string::npos, output.find("cannot write the log " + helper.files.log +
                                             ": File too large (lines are lost until it can)"))
        << output;
}

TEST(DvbHelperFiles, AFullLogGoesOnInANewFileSoThatTheLatestLinesAreAlwaysThere)
{
    const HelperFiles files = helperFiles("");
    FrontendLog log;
    std::string error;
    ASSERT_TRUE(openFrontendLog(log, files.log, &error)) << error;
    // A sixth more than the limit: the frontend switched on and off for hours.
    const std::string line(999, 'x');
    for (uint64_t written = 0; written < logByteLimit + logByteLimit / 6; written += line.size() + 1)
        writeLogLine(log, line);
    writeLogLine(log, "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2");
    closeFrontendLog(log);
    const std::vector<std::string> latest = fileLines(files.log);
    ASSERT_FALSE(latest.empty());
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2", latest.back());
    struct stat earlier {};
    ASSERT_EQ(0, stat((files.log + ".1").c_str(), &earlier));
    EXPECT_LE(static_cast<uint64_t>(earlier.st_size), logByteLimit);
    EXPECT_GT(static_cast<uint64_t>(earlier.st_size), logByteLimit - 2000);
    EXPECT_LT(latest.size(), (logByteLimit / 6) / 1000 + 10);
    remove((files.log + ".1").c_str());
}

TEST(DvbHelperFiles, ALogAppendedOverManyRunsCountsFromItsSize)
{
    const HelperFiles files = helperFiles("");
    // Earlier runs have left it a line short of the limit.
    const int earlierRuns = open(files.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(earlierRuns, 0);
    ASSERT_EQ(0, ftruncate(earlierRuns, static_cast<off_t>(logByteLimit - 10)));
    close(earlierRuns);
    FrontendLog log;
    std::string error;
    ASSERT_TRUE(openFrontendLog(log, files.log, &error)) << error;
    writeLogLine(log, "voltage 18");
    closeFrontendLog(log);
    struct stat latest {
    }, earlier{};
    ASSERT_EQ(0, stat(files.log.c_str(), &latest));
    EXPECT_EQ(11, latest.st_size) << "\"voltage 18\" alone";
    ASSERT_EQ(0, stat((files.log + ".1").c_str(), &earlier));
    EXPECT_EQ(logByteLimit - 10, static_cast<uint64_t>(earlier.st_size));
    remove((files.log + ".1").c_str());
}

}  // namespace
