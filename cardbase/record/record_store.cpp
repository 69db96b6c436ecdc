#include "cardbase/record/record_store.h"

#include <algorithm>
#include <set>

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
// What replaceFileWith writes before it renames it over the side file.
static const char asideSuffix[] = ".csv.new";
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

// The number of "record-7.csv" as a numbered file of "record.csv" (7), or 0.
static int64_t fileNumber(const std::string& file, const std::string& name)
{
    const std::string stem = name.substr(0, name.rfind('.')) + "-", extension = name.substr(name.rfind('.'));
    if (file.size() <= stem.size() + extension.size() || file.compare(0, stem.size(), stem) != 0 ||
        file.compare(file.size() - extension.size(), extension.size(), extension) != 0)
        return 0;
    int64_t number = 0;
    const std::string digits = file.substr(stem.size(), file.size() - stem.size() - extension.size());
    return readWholeNumber(digits, WholeForm{0, 999999, 6, true}, &number) ? number : 0;
}

// "record.csv" -> "record-7.csv", the number after the greatest one there.
static std::string numberedPath(const std::string& folder, const std::string& name)
{
    int64_t greatest = 0;
    for (const std::string& file : folderFiles(folder)) greatest = std::max(greatest, fileNumber(file, name));
    return pathInFolder(folder, name.substr(0, name.rfind('.')) + "-" + std::to_string(greatest + 1) +
                                    name.substr(name.rfind('.')));
}

std::vector<std::string> recordFilesNewestFirst(const std::string& folder, const std::string& name)
{
    std::vector<std::pair<int64_t, std::string>> numbered;
    for (const std::string& file : folderFiles(folder))
        if (const int64_t number = fileNumber(file, name)) numbered.emplace_back(number, file);
    std::sort(numbered.rbegin(), numbered.rend());
    std::vector<std::string> paths = {pathInFolder(folder, name)};
    for (const auto& file : numbered) paths.push_back(pathInFolder(folder, file.second));
    return paths;
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
        if (start != head || size + static_cast<int64_t>(lines.size()) + 2 > store.fileLimitBytes) {
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
        if (!alreadyRecorded(store, id) && !appendEntryLines(store, csvLinesInColumns(entry, recordColumnNames()),
                                                             csvLinesInColumns(series, seriesColumnNames())))
            return false;
    }
    removeFile(path);
    return true;
}

// The tags that side files, their copies written aside and lock files name.
static std::set<std::string> tagsInFolder(const RecordStore& store)
{
    std::set<std::string> tags;
    const size_t prefix = sizeof runningPrefix - 1;
    for (const std::string& name : folderFiles(store.folder)) {
        if (name.compare(0, prefix, runningPrefix) != 0) continue;
        for (const std::string suffix : {runningSuffix, asideSuffix, lockSuffix})
            if (name.size() > prefix + suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                tags.insert(name.substr(prefix, name.size() - prefix - suffix.size()));
    }
    return tags;
}

// What the tag's recorder left, its lock held by the caller: a copy written
// aside and never renamed (it ended in between) takes the side file's place
// where there is none, else goes; the side file becomes its line. Whether
// there was a side file.
static bool recoverTag(RecordStore& store, const std::string& tag)
{
    const std::string side = runningPath(store, tag, runningSuffix), aside = runningPath(store, tag, asideSuffix);
    if (fileSize(aside) >= 0 && (fileSize(side) >= 0 || !renameFile(aside, side))) removeFile(aside);
    return fileSize(side) >= 0 && recoverRunningFile(store, tag);
}

int recoverRunningFiles(RecordStore& store)
{
    int recovered = 0;
    for (const std::string& tag : tagsInFolder(store)) {
        if (tag == store.tag) continue;
        // Held while its leftovers are settled: a live recorder keeps it, and
        // two recorders starting at once never settle the same leftovers.
        FileLock theirs;
        const std::string lock = runningPath(store, tag, lockSuffix);
        if (!holdFileLock(lock, &theirs)) continue;
        recovered += recoverTag(store, tag);
        releaseFileLock(lock, &theirs);
    }
    return recovered;
}

bool openRecordStore(RecordStore& store, const std::string& folder, const std::string& tag)
{
    store = RecordStore();
    if (folder.empty()) return failed(store, "the system names no folder for the record");
    if (!makeFolders(folder)) return failed(store, "cannot make the folder " + folder);
    store.folder = folder;
    // Another recorder may hold this tag's lock for a moment while it
    // settles what a crashed one of the same tag left: then another tag.
    for (const char* suffix : {"", "b", "c", "d"}) {
        store.tag = tag + suffix;
        if (holdFileLock(runningPath(store, store.tag, lockSuffix), &store.lock)) break;
    }
    if (store.lock.handle == -1) {
        store.folder.clear();
        return failed(store, "cannot write in " + folder);
    }
    // The process id comes round again: what a crashed recorder of this tag
    // left is this one's to recover, before its own side file replaces it.
    recoverTag(store, store.tag);
    recoverRunningFiles(store);
    return true;
}

void closeRecordStore(RecordStore& store)
{
    if (!store.folder.empty()) releaseFileLock(runningPath(store, store.tag, lockSuffix), &store.lock);
    store.folder.clear();
}
