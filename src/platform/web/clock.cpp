// The millisecond tick counter: the page's monotonic clock (milliseconds since the page was
// opened: the page's "uptime") from a base the address can set, tick=MS, since the show's meshes
// drift by an amount that grows with the uptime at its start. fps=N makes it a frame clock
// instead, as veskop-capture's: the count holds still while a frame is drawn and moves on by
// 1000 / N ms at each buffer swap, so that a test sees exactly the frames of a chosen moment.
// pacing=off draws the frames back to back, for measuring how fast they can come.
#include "web_backend.h"

#include <emscripten.h>

#include <cstdint>

namespace {

// clang-format off
// The whole-number query parameter `name` of the page's address, or `otherwise` when it has none
// (or one that is not a whole number from 0 to 2^32 - 1).
EM_JS(double, ReadAddressNumber, (const char* name, double otherwise), {
    var text = new URLSearchParams(location.search).get(UTF8ToString(name));
    if (text === null || !/^[0-9]{1,10}$/.test(text)) return otherwise;
    var value = Number(text);
    return value <= 4294967295 ? value : otherwise;
});

EM_JS(int, AddressTurnsPacingOff, (), {
    return new URLSearchParams(location.search).get('pacing') === 'off' ? 1 : 0;
});
// clang-format on

const double MaxFrameRate = 1000;  // frames a second of the frame clock

struct ClockSettings {
    std::uint32_t base;  // ms
    double frameRate;    // frames a second; 0: the page's own clock
    bool unpaced;
};

const ClockSettings& Settings() {
    static const ClockSettings settings = [] {
        const double fps = ReadAddressNumber("fps", 0);
        return ClockSettings{static_cast<std::uint32_t>(ReadAddressNumber("tick", 0)),
                             fps >= 1 && fps <= MaxFrameRate ? fps : 0,
                             AddressTurnsPacingOff() != 0};
    }();
    return settings;
}

double PausedMs = 0;      // the page's clock time not counted
double PauseStartMs = -1;  // while paused: when the pause began

}  // namespace

void PauseClock() {
    if (PauseStartMs < 0) PauseStartMs = emscripten_get_now();
}

void ResumeClock() {
    if (PauseStartMs < 0) return;
    PausedMs += emscripten_get_now() - PauseStartMs;
    PauseStartMs = -1;
}

bool FramesUnpaced() { return Settings().unpaced; }

DWORD BackendTickCount() {
    const ClockSettings& settings = Settings();
    std::uint64_t ms;
    if (settings.frameRate > 0) {
        // 64-bit: a million frames at 1 fps stays exact; the cast keeps the low 32 bits.
        ms = static_cast<std::uint64_t>(Web().framesPresented) * 1000u /
             static_cast<std::uint64_t>(settings.frameRate);
    } else {
        const double now = PauseStartMs >= 0 ? PauseStartMs : emscripten_get_now();
        ms = static_cast<std::uint64_t>(now - PausedMs);
    }
    return static_cast<DWORD>(settings.base + ms);
}
