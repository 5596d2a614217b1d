#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#ifndef O_BINARY
#define O_BINARY 0  // POSIX files have no text mode
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0  // Windows has no FIFOs to guard against
#endif

std::FILE* OpenRegularFile(const char* path, long long* size) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_BINARY);
    if (fd < 0) return nullptr;
    struct stat info;
    std::FILE* file = nullptr;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        errno = EINVAL;
    } else {
        file = fdopen(fd, "rb");
    }
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
        return nullptr;
    }
    if (size != nullptr) *size = static_cast<long long>(info.st_size);
    return file;
}
