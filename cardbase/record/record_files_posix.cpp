// The record's file operations on Linux.
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"

std::string recordFolder() { return linuxRecordFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")); }

std::string pathInFolder(const std::string& folder, const std::string& name) { return folder + "/" + name; }

bool makeFolders(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash))) return false;
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::vector<std::string> folderFiles(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* directory = opendir(folder.c_str());
    if (!directory) return names;
    while (const dirent* item = readdir(directory)) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(directory);
    return names;
}

int64_t fileSize(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return static_cast<int64_t>(status.st_size);
}

static bool readAt(int fd, off_t offset, size_t count, std::string* bytes)
{
    bytes->assign(count, '\0');
    size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, &(*bytes)[done], count - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    bytes->resize(done);
    return true;
}

static bool readPart(const std::string& path, size_t limit, bool tail, std::string* bytes)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    bool read = false;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const size_t size = static_cast<size_t>(status.st_size);
        const size_t count = size < limit ? size : limit;
        read = readAt(fd, tail ? static_cast<off_t>(size - count) : 0, count, bytes);
    }
    close(fd);
    return read;
}

bool readFileHead(const std::string& path, size_t limit, std::string* bytes)
{
    return readPart(path, limit, false, bytes);
}
bool readFileTail(const std::string& path, size_t limit, std::string* bytes)
{
    return readPart(path, limit, true, bytes);
}

static bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return fsync(fd) == 0;
}

static bool writeOpened(int fd, const std::string& bytes)
{
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    return close(fd) == 0 && written;
}

bool createFileWith(const std::string& path, const std::string& bytes)
{
    return writeOpened(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600), bytes);
}

bool appendToFile(const std::string& path, const std::string& bytes)
{
    return writeOpened(open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC), bytes);
}

bool replaceFileWith(const std::string& path, const std::string& bytes)
{
    const std::string aside = path + ".new";
    if (!writeOpened(open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), bytes)) return false;
    if (rename(aside.c_str(), path.c_str()) == 0) return true;
    unlink(aside.c_str());
    return false;
}

bool renameFile(const std::string& from, const std::string& to)
{
    // A hard link fails where the new name is taken, which rename would
    // replace; a file system without links has the check beforehand only.
    if (link(from.c_str(), to.c_str()) == 0) return unlink(from.c_str()) == 0;
    if (errno == EEXIST || fileSize(to) >= 0) return false;
    return rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool holdFileLock(const std::string& path, FileLock* lock)
{
    // Another process may remove a lock file it found free between our open
    // and our lock: what is locked must still be the file of that name.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return false;
        }
        struct stat held {
        }, named{};
        if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock->handle = fd;
            return true;
        }
        close(fd);
    }
    return false;
}

void releaseFileLock(const std::string& path, FileLock* lock)
{
    if (lock->handle < 0) return;
    // Removed while still held, so that nobody locks the file on its way out.
    unlink(path.c_str());
    close(static_cast<int>(lock->handle));
    lock->handle = -1;
}
