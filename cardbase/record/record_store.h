// The record on disk, in one folder: record.csv (one line per measurement),
// record-series.csv (the thinned C/N series, keyed by the measurement's
// id), each moved to a numbered file (record-1.csv, ...) when it would pass
// recordFileLimitBytes or when its header is not this version's; and, while
// a measurement runs, a side file of its own (running-TAG.csv, replaced
// whole), which becomes its line at the end or, after a crash, when the
// next recorder opens the folder. A lock file beside it (running-TAG.lock)
// tells a live recorder's side file from one a crash left; a recorder that
// opens the folder takes each lock no live process holds while it settles
// what that tag left (the side file, a copy written aside as
// running-TAG.csv.new, the lock file itself), and recovers its own tag's
// side file first (a crashed recorder had its process id). Every line is
// written whole in one write and flushed. Platform-neutral over
// record_files.h.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/record/record_entry.h"
#include "cardbase/record/record_files.h"

constexpr int64_t recordFileLimitBytes = 4 * 1024 * 1024;
// A running measurement's side file is replaced at most this often.
constexpr uint32_t runningFileIntervalMs = 30000;
constexpr char recordFileName[] = "record.csv";
constexpr char seriesFileName[] = "record-series.csv";

struct RecordStore {
    std::string folder;  // "" when the record cannot be kept
    std::string tag;     // this recorder's, told apart from every live one
    FileLock lock;
    std::string problem;  // the latest failure, "" when none
    int64_t fileLimitBytes = recordFileLimitBytes;
};

// The folder made if missing, this recorder's lock taken, and what
// recorders that ended without their end left turned into their lines.
// False (with the problem said) when the folder cannot be used.
bool openRecordStore(RecordStore& store, const std::string& folder, const std::string& tag);
// Lets the lock go; a side file still there (its entry could not be
// written) stays for the next recorder.
void closeRecordStore(RecordStore& store);

// The entry's line and its series' lines, then this recorder's side file
// removed.
bool appendRecord(RecordStore& store, const RecordEntry& entry, const std::vector<RecordSeriesPoint>& series);
// The running measurement kept aside: the side file replaced whole, its
// entry marked as cut short for the case that it is read after a crash.
bool keepRunning(RecordStore& store, const RecordEntry& entry, const std::vector<RecordSeriesPoint>& series);

// The side files that ended recorders left, turned into lines, and their
// other leftovers removed; how many side files.
int recoverRunningFiles(RecordStore& store);

// The file of that name and the numbered ones it was moved to, newest first:
// record.csv, record-7.csv, ..., record-1.csv.
std::vector<std::string> recordFilesNewestFirst(const std::string& folder, const std::string& name);

std::string recordFilePath(const std::string& folder);
std::string seriesFilePath(const std::string& folder);

// The Linux folder: $XDG_DATA_HOME/azimora when that is an absolute path,
// else $HOME/.local/share/azimora; "" without either. Null for unset.
std::string linuxRecordFolder(const char* dataHome, const char* home);
