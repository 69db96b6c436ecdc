// The record's files on disk, which nothing (a torn line, a crash, a full
// file, a crashed recorder's leftovers, a process id that comes round again)
// may cost more than the line in hand.
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"
#include "tests/native/record_samples.h"

namespace {

TEST(RecordStore, EachEntryIsOneLineUnderOneHeaderAndATornLineCostsOnlyItself)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    ASSERT_TRUE(appendRecord(store, sampleEntry("a"), sampleSeries()));
    const std::string path = recordFilePath(folder);
    EXPECT_EQ(std::string(utf8ByteOrderMark) + recordHeaderLine() + recordLine(sampleEntry("a")), fileText(path));
    // A crash in mid-write: the line torn, then the next entry written.
    std::ofstream(path, std::ios::app | std::ios::binary) << recordLine(sampleEntry("torn")).substr(0, 40);
    EXPECT_EQ(1u, tableOf(path).rows.size());
    ASSERT_TRUE(appendRecord(store, sampleEntry("b"), sampleSeries()));
    const CsvTable table = tableOf(path);
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ("a", table.rows[0][0]);
    EXPECT_EQ("b", table.rows[1][0]);
    EXPECT_EQ(1u, table.skipped);
    const CsvTable series = tableOf(seriesFilePath(folder));
    ASSERT_EQ(4u, series.rows.size());
    EXPECT_EQ("b", csvValue(series, series.rows[3], "measurement_id"));
    EXPECT_EQ("12.75", csvValue(series, series.rows[3], "cn_db"));
    closeRecordStore(store);
}

TEST(RecordStore, AFullFileOrAnotherVersionsFileMovesToANumberedOne)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    const std::string path = recordFilePath(folder);
    // Another version's header: its lines are kept apart, never mixed.
    std::ofstream(path, std::ios::binary) << utf8ByteOrderMark << "id,cn\r\n1,2\r\n";
    ASSERT_TRUE(appendRecord(store, sampleEntry("a"), {}));
    EXPECT_EQ(std::string(utf8ByteOrderMark) + "id,cn\r\n1,2\r\n", fileText(folder + "/record-1.csv"));
    // Nearly full: the next line would pass the bound (a small one here).
    store.fileLimitBytes = 64 * 1024;
    const std::string line = recordLine(sampleEntry("f"));  // as long as b's
    const size_t fillers = static_cast<size_t>(store.fileLimitBytes - fileSize(path) - 2) / line.size();
    std::string filler;
    for (size_t i = 0; i < fillers; ++i) filler += line;
    std::ofstream(path, std::ios::app | std::ios::binary) << filler;
    const std::string full = fileText(path);
    ASSERT_TRUE(appendRecord(store, sampleEntry("b"), {}));
    EXPECT_EQ(full, fileText(folder + "/record-2.csv"));
    const CsvTable fresh = tableOf(path);
    ASSERT_EQ(1u, fresh.rows.size());
    EXPECT_EQ("b", fresh.rows[0][0]);
    EXPECT_LE(fileSize(folder + "/record-2.csv"), store.fileLimitBytes);
    closeRecordStore(store);
}

TEST(RecordStore, ARecordWithoutTheSingleCableColumnMovesAsideOnce)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    std::vector<std::string> before = recordColumnNames();
    before.erase(std::find(before.begin(), before.end(), "single_cable"));
    std::ofstream(recordFilePath(folder), std::ios::binary)
        << utf8ByteOrderMark << csvLine(before) << "old,2025-01-30T10:00:00Z\r\n";
    ASSERT_TRUE(appendRecord(store, sampleEntry("a"), {}));
    ASSERT_TRUE(appendRecord(store, sampleEntry("b"), {}));
    EXPECT_EQ(std::string(utf8ByteOrderMark) + csvLine(before) + "old,2025-01-30T10:00:00Z\r\n",
              fileText(folder + "/record-1.csv"));
    EXPECT_EQ(-1, fileSize(folder + "/record-2.csv"));
    EXPECT_EQ(2u, tableOf(recordFilePath(folder)).rows.size());
    EXPECT_EQ((std::vector<std::string>{recordFilePath(folder), folder + "/record-1.csv"}),
              recordFilesNewestFirst(folder, recordFileName));
    closeRecordStore(store);
}

TEST(RecordStore, ARunningMeasurementSurvivesACrashAsOneLineAndALiveOneIsLeftAlone)
{
    const std::string folder = newFolder();
    const RecordEntry running = sampleEntry("crashed");
    // A recorder that dies in mid-measurement, without its end.
    const pid_t child = fork();
    if (child == 0) {
        RecordStore dying;
        openRecordStore(dying, folder, "dying");
        appendRecord(dying, sampleEntry("before"), sampleSeries());
        keepRunning(dying, running, sampleSeries());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_EQ(1u, tableOf(recordFilePath(folder)).rows.size());

    // One alive, in mid-measurement too.
    RecordStore alive;
    ASSERT_TRUE(openRecordStore(alive, folder, "alive"));
    ASSERT_TRUE(keepRunning(alive, sampleEntry("alive"), {}));

    RecordStore next;
    ASSERT_TRUE(openRecordStore(next, folder, "next"));
    const CsvTable table = tableOf(recordFilePath(folder));
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ("before", table.rows[0][0]);
    EXPECT_EQ("crashed", table.rows[1][0]);
    EXPECT_NE(std::string::npos, csvValue(table, table.rows[1], "note").find("cut short"));
    EXPECT_EQ(csvValue(table, table.rows[0], "cn_median_db"), csvValue(table, table.rows[1], "cn_median_db"));
    EXPECT_EQ(4u, tableOf(seriesFilePath(folder)).rows.size());
    EXPECT_EQ(-1, fileSize(folder + "/running-dying.csv"));
    EXPECT_EQ(-1, fileSize(folder + "/running-dying.lock"));
    EXPECT_LT(0, fileSize(folder + "/running-alive.csv"));
    EXPECT_EQ(0, recoverRunningFiles(next));

    // The live one ends as usual: its line once, its side file gone.
    ASSERT_TRUE(appendRecord(alive, sampleEntry("alive"), {}));
    EXPECT_EQ(-1, fileSize(folder + "/running-alive.csv"));
    closeRecordStore(alive);
    closeRecordStore(next);
    EXPECT_EQ(3u, tableOf(recordFilePath(folder)).rows.size());
}

TEST(RecordStore, ASideFileWhoseLineIsAlreadyWrittenIsNotWrittenTwice)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    ASSERT_TRUE(keepRunning(store, sampleEntry("x"), {}));
    ASSERT_TRUE(appendRecord(store, sampleEntry("x"), {}));
    // As if the side file's removal had failed.
    ASSERT_TRUE(keepRunning(store, sampleEntry("x"), {}));
    closeRecordStore(store);
    RecordStore later;
    ASSERT_TRUE(openRecordStore(later, folder, "2"));
    EXPECT_EQ(1u, tableOf(recordFilePath(folder)).rows.size());
    EXPECT_EQ(-1, fileSize(folder + "/running-1.csv"));
    closeRecordStore(later);
}

// A recorder of `tag` that dies in mid-measurement, its side file kept.
void crashWhileMeasuring(const std::string& folder, const std::string& tag, const std::string& id)
{
    const pid_t child = fork();
    if (child == 0) {
        RecordStore dying;
        openRecordStore(dying, folder, tag);
        keepRunning(dying, sampleEntry(id), sampleSeries());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

TEST(RecordStore, ARecorderThatReusesACrashedOnesTagRecoversItsSideFileFirst)
{
    const std::string folder = newFolder();
    crashWhileMeasuring(folder, "4242.1", "crashed");
    // The process id came round again: the same tag.
    RecordStore again;
    ASSERT_TRUE(openRecordStore(again, folder, "4242.1"));
    EXPECT_EQ("4242.1", again.tag);
    ASSERT_TRUE(keepRunning(again, sampleEntry("new"), sampleSeries()));
    ASSERT_TRUE(appendRecord(again, sampleEntry("new"), sampleSeries()));
    closeRecordStore(again);
    const CsvTable table = tableOf(recordFilePath(folder));
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ("crashed", table.rows[0][0]);
    EXPECT_NE(std::string::npos, csvValue(table, table.rows[0], "note").find("cut short"));
    EXPECT_EQ("new", table.rows[1][0]);
    EXPECT_EQ(4u, tableOf(seriesFilePath(folder)).rows.size());
    EXPECT_EQ(-1, fileSize(folder + "/running-4242.1.csv"));
}

TEST(RecordStore, WhatCrashedRecordersLeftIsSettledAndALiveOnesFilesAreLeftAlone)
{
    const std::string folder = newFolder();
    makeFolders(folder);
    const std::string side = std::string(utf8ByteOrderMark) + recordHeaderLine() + recordLine(sampleEntry("aside")) +
                             csvLineEnd + seriesHeaderLine() + seriesLines("aside", true, sampleSeries());
    // A side file with a stale copy beside it; a lock alone; a copy written
    // aside and never renamed over its side file.
    crashWhileMeasuring(folder, "stale", "stale");
    std::ofstream(folder + "/running-stale.csv.new", std::ios::binary) << side.substr(0, 100);
    std::ofstream(folder + "/running-gone.lock") << "";
    std::ofstream(folder + "/running-torn.csv.new", std::ios::binary) << side;
    // A live recorder with its own copy aside at this moment.
    RecordStore alive;
    ASSERT_TRUE(openRecordStore(alive, folder, "alive"));
    ASSERT_TRUE(keepRunning(alive, sampleEntry("alive"), {}));
    std::ofstream(folder + "/running-alive.csv.new", std::ios::binary) << side;

    RecordStore next;
    ASSERT_TRUE(openRecordStore(next, folder, "next"));
    const CsvTable table = tableOf(recordFilePath(folder));
    ASSERT_EQ(2u, table.rows.size());
    std::set<std::string> ids = {table.rows[0][0], table.rows[1][0]};
    EXPECT_EQ((std::set<std::string>{"aside", "stale"}), ids);
    std::vector<std::string> left = folderFiles(folder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"record-series.csv", "record.csv", "running-alive.csv", "running-alive.csv.new",
                                        "running-alive.lock", "running-next.lock"}),
              left);
    closeRecordStore(next);
    closeRecordStore(alive);
}

TEST(RecordStore, TheFolderIsOnePlacePerUser)
{
    EXPECT_EQ("/data/azimora", linuxRecordFolder("/data", "/home/ann"));
    EXPECT_EQ("/home/ann/.local/share/azimora", linuxRecordFolder("relative", "/home/ann"));
    EXPECT_EQ("/home/ann/.local/share/azimora", linuxRecordFolder(nullptr, "/home/ann"));
    EXPECT_EQ("", linuxRecordFolder(nullptr, nullptr));
    RecordStore store;
    EXPECT_FALSE(openRecordStore(store, "", "1"));
    EXPECT_FALSE(store.problem.empty());
    EXPECT_FALSE(appendRecord(store, sampleEntry("a"), {}));
}

}  // namespace
