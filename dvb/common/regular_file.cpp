#include "dvb/common/regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Opened without waiting (a FIFO without a writer or reader would block),
// then taken only when it is a regular file.
static int openRegular(const std::string& path, int flags, std::string* error)
{
    const int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
        struct stat status {};
        *error = errno == ENXIO && stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)
                     ? std::string("is not a regular file")
                     : std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *error = "is not a regular file";
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool readRegularFile(const std::string& path, size_t limit, std::string* text, std::string* error)
{
    const int fd = openRegular(path, O_RDONLY, error);
    if (fd < 0) return false;
    text->clear();
    char buffer[4096];
    bool ok = true;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *error = std::strerror(errno);
            ok = false;
            break;
        }
        if (got == 0) break;
        if (text->size() + static_cast<size_t>(got) > limit) {
            *error = "is larger than " + std::to_string(limit) + " bytes";
            ok = false;
            break;
        }
        text->append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return ok;
}

int appendToRegularFile(const std::string& path, std::string* error)
{
    return openRegular(path, O_WRONLY | O_APPEND | O_CREAT, error);
}
