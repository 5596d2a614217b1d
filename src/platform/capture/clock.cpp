// The tick counter of a machine that draws at exactly the capture's frame rate: it moves only
// when a frame is presented.
#include "capture_backend.h"

#include <cstdint>

DWORD CaptureTickAfter(long frames) {
    const CaptureSettings& settings = Capture().settings;
    // 64-bit: a million frames at 1000 ms each stays exact; the cast keeps the low 32 bits.
    std::uint64_t ms = static_cast<std::uint64_t>(frames) * 1000u /
                       static_cast<std::uint64_t>(settings.framesPerSecond);
    return static_cast<DWORD>(settings.startTick + ms);
}

DWORD BackendTickCount() { return CaptureTickAfter(Capture().framesPresented); }
