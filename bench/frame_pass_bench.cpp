// What one pass of the main loop costs besides the frame's own OpenGL work, in the show's real
// window (CreateDemoWindow over the SDL stand-in, under Xvfb): the message pump with nothing
// pending, the tick count, the buffer swap (beside SDL's own swap of the same window, and the
// stand-in's own part of it), and the two diagnostic lines with their flushes, to a file, a pipe
// and a terminal.
#include <windows.h>

#include <SDL.h>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/demo_window.h"
#include "bench_output.h"

namespace {

double NowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

bool OpenDemoWindow() {
    static bool opened = false;
    static bool ok = false;
    if (!opened) {
        opened = true;
        ok = chdir(VESKOP_SOURCE_DIR) == 0 && CreateDemoWindow("VESKOP", 640, 480, 32, true);
    }
    return ok;
}

void BM_PeekMessageIdle(benchmark::State& state) {
    if (!OpenDemoWindow()) return state.SkipWithError("no window");
    MSG message = {};
    for (auto _ : state) {
        if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
BENCHMARK(BM_PeekMessageIdle);

void BM_GetTickCount(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(GetTickCount());
}
BENCHMARK(BM_GetTickCount);

// The swap through the stand-in, and SDL's swap of the same window, taken in turns: the difference
// is ours. The label gives the ns of each per swap: "ours N sdl M".
void BM_SwapPair(benchmark::State& state) {
    if (!OpenDemoWindow()) return state.SkipWithError("no window");
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    double oursNs = 0, sdlNs = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double begin = NowNs();
        SwapBuffers(WindowDC);
        const double middle = NowNs();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const double resumed = NowNs();
        SDL_GL_SwapWindow(window);
        const double end = NowNs();
        oursNs += middle - begin;
        sdlNs += end - resumed;
    }
    const double swaps = double(std::max<benchmark::IterationCount>(1, state.iterations()));
    char label[64];
    std::snprintf(label, sizeof label, "ours %.0f sdl %.0f", oursNs / swaps, sdlNs / swaps);
    state.SetLabel(label);
}
BENCHMARK(BM_SwapPair)->Unit(benchmark::kMicrosecond);

// What the stand-in's SwapBuffers does besides SDL's swap: finding the device context among the
// live windows' (here a handle that is none of them, so the whole list is searched).
void BM_SwapOwnWork(benchmark::State& state) {
    if (!OpenDemoWindow()) return state.SkipWithError("no window");
    HDC stranger = reinterpret_cast<HDC>(&state);
    for (auto _ : state) benchmark::DoNotOptimize(SwapBuffers(stranger));
}
BENCHMARK(BM_SwapOwnWork);

// The frame's two lines, written and flushed as the frame writes them, with standard output
// redirected to a file, a pipe or a terminal (each drained as a reader would).
void BM_Diagnostics(benchmark::State& state) {
    const OutputKind kind = static_cast<OutputKind>(state.range(0));
    state.SetLabel(OutputKindName(kind));
    RedirectedOutput output(kind);
    if (!output.ok()) return state.SkipWithError("cannot redirect standard output");
    for (auto _ : state) {
        std::printf("%u\n", static_cast<unsigned>(GetTickCount()));
        std::fflush(stdout);
        std::fputs("test??\n", stdout);
        std::fflush(stdout);
    }
}
BENCHMARK(BM_Diagnostics)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
