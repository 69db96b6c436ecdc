// The few file operations the record needs, on paths in UTF-8: one
// implementation for Windows (record_files_win.cpp, wide-character calls)
// and one for Linux (record_files_posix.cpp). Each call opens and closes
// its file; a write that says true has reached the disk (flushed).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The record's place for this user: Windows, the folder Azimora in the
// user's Documents; Linux, $XDG_DATA_HOME/azimora, else
// ~/.local/share/azimora. "" when the system names no such place.
std::string recordFolder();

std::string pathInFolder(const std::string& folder, const std::string& name);
// The folder and those above it that are missing.
bool makeFolders(const std::string& path);
// The names of the files in a folder.
std::vector<std::string> folderFiles(const std::string& folder);

// The size, or -1 when there is no such file.
int64_t fileSize(const std::string& path);
// The first or the last `limit` bytes (all of a smaller file); false when
// the file cannot be read.
bool readFileHead(const std::string& path, size_t limit, std::string* bytes);
bool readFileTail(const std::string& path, size_t limit, std::string* bytes);

// A new file with these bytes; false when one of that name is there.
bool createFileWith(const std::string& path, const std::string& bytes);
// The bytes added at the end of a file that is there, in one write.
bool appendToFile(const std::string& path, const std::string& bytes);
// The file replaced whole (written aside, then renamed over it), so that a
// reader finds the old bytes or the new, never a part.
bool replaceFileWith(const std::string& path, const std::string& bytes);
// Renamed, never over another file.
bool renameFile(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);

// A lock a running recorder holds on a file of its own: another process
// can tell that it is still alive (it cannot take the lock); the system lets
// it go when the process ends, however it ends. A process that takes the
// lock of a file an ended one left holds it in its turn; its release
// removes the file.
struct FileLock {
    intptr_t handle = -1;
};
// False when a live process holds it (or the file cannot be made).
bool holdFileLock(const std::string& path, FileLock* lock);
void releaseFileLock(const std::string& path, FileLock* lock);
