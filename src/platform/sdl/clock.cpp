// The millisecond tick counter: the machine's uptime.
#include "sdl_backend.h"

#include <time.h>

#include <cstdint>

DWORD BackendTickCount() {
    // Milliseconds since the system started, suspended time included; the cast keeps the low 32
    // bits, so the count wraps to 0 after 49.7 days as the real one does.
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                       static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
