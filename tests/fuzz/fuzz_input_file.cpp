#include "fuzz_input_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

const char* FuzzInputFile(const std::uint8_t* data, std::size_t size) {
    static int descriptor = -1;
    static char path[64];
    if (descriptor < 0) {
        descriptor = memfd_create("fuzz-input", 0);
        if (descriptor < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", descriptor);
    }
    if (ftruncate(descriptor, 0) != 0 ||
        (size > 0 && pwrite(descriptor, data, size, 0) != static_cast<ssize_t>(size))) {
        std::perror("fuzz input file");
        std::abort();
    }
    return path;
}
