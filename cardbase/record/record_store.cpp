#include "cardbase/record/record_store.h"

#include "app/number_text.h"
#include "cardbase/record/record_csv.h"

std::string recordFilePath(const std::string& folder) { return pathInFolder(folder, recordFileName); }
std::string seriesFilePath(const std::string& folder) { return pathInFolder(folder, seriesFileName); }

std::string linuxRecordFolder(const char* dataHome, const char* home)
{
    if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/azimora";
    if (home && home[0] == '/') return std::string(home) + "/.local/share/azimora";
    return std::string();
}

static const char runningPrefix[] = "running-";
static const char runningSuffix[] = ".csv";
static const char lockSuffix[] = ".lock";
// A side file holds one entry and at most ten minutes of series.
static const size_t runningFileLimit = 256 * 1024;
// Where a recovered entry's id is looked for, to write it once only.
static const size_t recentTailBytes = 256 * 1024;

static std::string runningPath(const RecordStore& store, const std::string& tag, const char* suffix)
{
    return pathInFolder(store.folder, runningPrefix + tag + suffix);
}

static bool failed(RecordStore& store, const std::string& problem)
{
    store.problem = problem;
    return false;
}

// "record.csv" -> "record-7.csv", the number after the greatest one there.
static std::string numberedPath(const std::string& folder, const std::string& name)
{
    const std::string stem = name.substr(0, name.rfind('.')), extension = name.substr(name.rfind('.'));
    int64_t greatest = 0;
    for (const std::string& file : folderFiles(folder)) {
        if (file.compare(0, stem.size() + 1, stem + "-") != 0 || file.size() <= stem.size() + 1 + extension.size() ||
            file.compare(file.size() - extension.size(), extension.size(), extension) != 0)
            continue;
        const std::string digits = file.substr(stem.size() + 1, file.size() - stem.size() - 1 - extension.size());
        int64_t number = 0;
        if (readWholeNumber(digits, WholeForm{0, 999999, 6, true}, &number) && number > greatest) greatest = number;
    }
    return pathInFolder(folder, stem + "-" + std::to_string(greatest + 1) + extension);
}

// Appends `lines` to a file that starts with `header`: the file made when
// missing, moved to a numbered one when its header is another or when it
// would pass the limit; a torn last line (a crash in mid-write) ended first,
// so that it stays a line of its own.
static bool appendLines(RecordStore& store, const std::string& name, const std::string& header,
                        const std::string& lines)
{
    const std::string path = pathInFolder(store.folder, name);
    const std::string head = utf8ByteOrderMark + header;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int64_t size = fileSize(path);
        if (size < 0) {
            createFileWith(path, head);  // or another recorder just did
            continue;
        }
        std::string start;
        if (!readFileHead(path, head.size(), &start)) return failed(store, "cannot read " + path);
        if (start != head || size + static_cast<int64_t>(lines.size()) + 2 > recordFileLimitBytes) {
            renameFile(path, numberedPath(store.folder, name));  // or another recorder just did
            continue;
        }
        std::string last;
        readFileTail(path, 1, &last);
        const std::string bytes = (last == "\n" ? "" : csvLineEnd) + lines;
        if (!appendToFile(path, bytes)) return failed(store, "cannot write " + path);
        return true;
    }
    return failed(store, "cannot make room in " + path);
}

static bool appendEntryLines(RecordStore& store, const std::string& entryLine, const std::string& series)
{
    if (!appendLines(store, recordFileName, recordHeaderLine(), entryLine)) return false;
    return series.empty() || appendLines(store, seriesFileName, seriesHeaderLine(), series);
}

bool appendRecord(RecordStore& store, const RecordEntry& entry, const std::vector<RecordSeriesPoint>& series)
{
    if (store.folder.empty()) return false;
    if (!appendEntryLines(store, recordLine(entry), seriesLines(entry.id, entry.carrierToNoiseInDecibels, series)))
        return false;
    removeFile(runningPath(store, store.tag, runningSuffix));
    return true;
}

// The side file: the entry under its header, an empty line, the series under theirs.
bool keepRunning(RecordStore& store, const RecordEntry& entry, const std::vector<RecordSeriesPoint>& series)
{
    if (store.folder.empty()) return false;
    RecordEntry cutShort = entry;
    cutShort.interrupted = true;
    const std::string text = std::string(utf8ByteOrderMark) + recordHeaderLine() + recordLine(cutShort) + csvLineEnd +
                             seriesHeaderLine() + seriesLines(entry.id, entry.carrierToNoiseInDecibels, series);
    if (!replaceFileWith(runningPath(store, store.tag, runningSuffix), text))
        return failed(store, "cannot write " + runningPath(store, store.tag, runningSuffix));
    return true;
}

// Rows of a table in the columns of `header` (a side file an older version
// wrote may have others): what it lacks stays empty.
static std::string linesInColumns(const CsvTable& table, const std::string& header)
{
    std::vector<std::string> names;
    splitCsvLine(header.substr(0, header.size() - 2), &names);
    std::string lines;
    for (const std::vector<std::string>& row : table.rows) {
        std::vector<std::string> fields;
        for (const std::string& name : names) fields.push_back(csvField(csvValue(table, row, name)));
        lines += csvLine(fields);
    }
    return lines;
}

static bool alreadyRecorded(const RecordStore& store, const std::string& id)
{
    std::string recent;
    if (id.empty() || !readFileTail(recordFilePath(store.folder), recentTailBytes, &recent)) return false;
    return recent.find("\n" + csvField(id) + ",") != std::string::npos;
}

static bool recoverRunningFile(RecordStore& store, const std::string& tag)
{
    std::string text;
    const std::string path = runningPath(store, tag, runningSuffix);
    if (!readFileHead(path, runningFileLimit, &text)) return false;
    const std::string gap = std::string(csvLineEnd) + csvLineEnd;
    const size_t split = text.find(gap);
    const CsvTable entry = readCsvText(text.substr(0, split == std::string::npos ? text.size() : split + 2));
    const CsvTable series = split == std::string::npos ? CsvTable() : readCsvText(text.substr(split + 4));
    if (entry.rows.size() == 1) {
        const std::string id = csvValue(entry, entry.rows[0], recordColumns[0].name);
        if (!alreadyRecorded(store, id) && !appendEntryLines(store, linesInColumns(entry, recordHeaderLine()),
                                                             linesInColumns(series, seriesHeaderLine())))
            return false;
    }
    removeFile(path);
    return true;
}

int recoverRunningFiles(RecordStore& store)
{
    int recovered = 0;
    const size_t prefix = sizeof runningPrefix - 1, suffix = sizeof runningSuffix - 1;
    for (const std::string& name : folderFiles(store.folder)) {
        if (name.size() <= prefix + suffix || name.compare(0, prefix, runningPrefix) != 0 ||
            name.compare(name.size() - suffix, suffix, runningSuffix) != 0)
            continue;
        const std::string tag = name.substr(prefix, name.size() - prefix - suffix);
        if (tag == store.tag || fileLockHeld(runningPath(store, tag, lockSuffix))) continue;
        if (!recoverRunningFile(store, tag)) continue;
        removeFile(runningPath(store, tag, lockSuffix));
        ++recovered;
    }
    return recovered;
}

bool openRecordStore(RecordStore& store, const std::string& folder, const std::string& tag)
{
    store = RecordStore();
    if (folder.empty()) return failed(store, "the system names no folder for the record");
    if (!makeFolders(folder)) return failed(store, "cannot make the folder " + folder);
    store.folder = folder;
    store.tag = tag;
    if (!holdFileLock(runningPath(store, tag, lockSuffix), &store.lock)) {
        store.folder.clear();
        return failed(store, "cannot write in " + folder);
    }
    recoverRunningFiles(store);
    return true;
}

void closeRecordStore(RecordStore& store)
{
    if (!store.folder.empty()) releaseFileLock(runningPath(store, store.tag, lockSuffix), &store.lock);
    store.folder.clear();
}
