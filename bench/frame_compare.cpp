// Frame rates of the show beside their limit, in one process and one window: the show's real
// window and set-up (CreateDemoWindow over the SDL stand-in), then for each scene short turns of
// the real main loop's passes (message pump, DrawFrame with its two diagnostic lines, SwapBuffers,
// the keys) and of the bare OpenGL calls of the same frame with SDL's swap, in alternating order,
// many of them, so that both kinds meet the same load from the rest of the machine. Each pair of
// turns gives a ratio; the median is reported. Then it counts the heap allocations
// of a run of frames of each scene, the main loop's and the bare calls'.
//
//   frame_compare [--output file|pipe|terminal] [--rounds N] [--turn SECONDS] [--frames N]
//                 [--scene NAME]
//
// The show's lines go to the chosen kind of standard output; the results go to the standard
// output it was started with, one line each:
//   frames SCENE OUTPUT SHOW_FPS BARE_FPS RATIO_MEDIAN RATIO_Q1 RATIO_Q3
//          SHOW_CPU_US BARE_CPU_US SHOW_THREAD_US BARE_THREAD_US
//   allocations SCENE FRAMES SHOW_PROGRAM SHOW_THREAD SHOW_ALL BARE_PROGRAM BARE_THREAD BARE_ALL
#include <windows.h>

#include <SDL.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "app/demo_window.h"
#include "app/main_loop.h"
#include "bare_scenes.h"
#include "bench_output.h"
#include "demo/demo_state.h"

namespace {

struct Options {
    OutputKind output = OutputKind::File;
    int rounds = 200;
    double turnSeconds = 0.03;
    int allocationFrames = 1000;
    std::string scene;  // empty: every scene
};

double Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Keeps the show's clock in the middle of the scene's span.
void HoldShowAt(const BareScene& scene) {
    const int middleMs = scene.afterMs + int(scene.seconds * 500.0);
    DemoState.startTick = GetTickCount() - DWORD(middleMs);
}

// One pass of the main loop; false when it ended the loop (the window was closed).
bool RunPass(long* frames) {
    static MSG message = {};
    const LoopPass pass = RunMainLoopPass(message);
    if (pass == LoopPass::Idle) ++*frames;
    return pass == LoopPass::Idle || pass == LoopPass::Message;
}

double ClockSeconds(clockid_t clock) {
    timespec now;
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Seconds a turn of frames took: on the wall clock, of CPU in the whole process (OpenGL's worker
// threads included), and of CPU on this thread.
struct Turn {
    double wall, process, thread;
};

template <typename Frame>
Turn TimeFrames(long frames, Frame frame) {
    const double wall = Seconds(), process = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double thread = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (long drawn = 0; drawn < frames;) frame(&drawn);
    return Turn{Seconds() - wall, ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - process,
                ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - thread};
}

BareObjects ShowObjects() {
    BareObjects objects;
    for (int i = 0; i < 5; i++) objects.textures[i] = DemoState.textures[i];
    objects.lists[0] = DemoState.meshListA;
    objects.lists[1] = DemoState.meshListB;
    objects.lists[2] = DemoState.meshListC;
    return objects;
}

// The main loop's passes until `frames` frames were drawn.
Turn ShowTurn(const BareScene& scene, long frames) {
    HoldShowAt(scene);
    return TimeFrames(frames, [](long* drawn) {
        if (!RunPass(drawn)) std::exit(1);
    });
}

Turn BareTurn(const BareScene& scene, long frames) {
    const BareObjects objects = ShowObjects();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    return TimeFrames(frames, [&](long* drawn) {
        DrawBareFrame(scene, objects);
        SDL_GL_SwapWindow(window);
        ++*drawn;
    });
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const size_t below = size_t(at);
    if (below + 1 >= values.size()) return values.back();
    return values[below] + (at - double(below)) * (values[below + 1] - values[below]);
}

// Turns of the same number of frames, taking about turnSeconds each, the two kinds in
// alternating order. Reports the frame rates (medians), the median ratio of the pairs and its
// quartiles, and the CPU time per frame of each kind (whole process, and this thread), in µs.
void CompareFrames(const BareScene& scene, const Options& options, std::FILE* report) {
    ShowTurn(scene, 3);  // warm both up: caches, the texture's first use
    const Turn probe = BareTurn(scene, 3);
    const long frames = std::max(2L, long(options.turnSeconds * 3 / probe.wall));
    std::vector<double> show, bare, ratios, showCpu, bareCpu, showThread, bareThread;
    for (int round = 0; round < options.rounds; round++) {
        Turn shown, bared;
        if (round % 2 == 0) {
            shown = ShowTurn(scene, frames);
            bared = BareTurn(scene, frames);
        } else {
            bared = BareTurn(scene, frames);
            shown = ShowTurn(scene, frames);
        }
        show.push_back(shown.wall);
        bare.push_back(bared.wall);
        ratios.push_back(bared.wall / shown.wall);
        showCpu.push_back(shown.process);
        bareCpu.push_back(bared.process);
        showThread.push_back(shown.thread);
        bareThread.push_back(bared.thread);
    }
    const double perFrame = 1e6 / double(frames);
    std::fprintf(report, "frames %s %s %.1f %.1f %.4f %.4f %.4f %.1f %.1f %.1f %.1f\n", scene.name,
                 OutputKindName(options.output), frames / Quantile(show, 0.5),
                 frames / Quantile(bare, 0.5), Quantile(ratios, 0.5), Quantile(ratios, 0.25),
                 Quantile(ratios, 0.75), Quantile(showCpu, 0.5) * perFrame,
                 Quantile(bareCpu, 0.5) * perFrame, Quantile(showThread, 0.5) * perFrame,
                 Quantile(bareThread, 0.5) * perFrame);
    std::fflush(report);
}

// Allocations of `frames` frames after a few to settle, on this thread and on all threads.
AllocationCounts CountShowAllocations(const BareScene& scene, int frames) {
    long drawn = 0;
    AllocationCounts before = {};
    while (drawn < frames + 20) {
        if (drawn == 20) before = CountAllocations();
        HoldShowAt(scene);
        if (!RunPass(&drawn)) std::exit(1);
    }
    const AllocationCounts after = CountAllocations();
    return AllocationCounts{after.thisThread - before.thisThread, after.allThreads - before.allThreads,
                            after.fromProgram - before.fromProgram};
}

AllocationCounts CountBareAllocations(const BareScene& scene, int frames) {
    const BareObjects objects = ShowObjects();
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    AllocationCounts before = {};
    for (int drawn = 0; drawn < frames + 20; drawn++) {
        if (drawn == 20) before = CountAllocations();
        DrawBareFrame(scene, objects);
        SDL_GL_SwapWindow(window);
    }
    const AllocationCounts after = CountAllocations();
    return AllocationCounts{after.thisThread - before.thisThread, after.allThreads - before.allThreads,
                            after.fromProgram - before.fromProgram};
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--output") {
            if (!ParseOutputKind(value, &options->output)) return false;
        } else if (name == "--rounds") {
            options->rounds = std::max(1, std::atoi(value));
        } else if (name == "--turn") {
            options->turnSeconds = std::max(0.001, std::atof(value));
        } else if (name == "--frames") {
            options->allocationFrames = std::max(0, std::atoi(value));
        } else if (name == "--scene") {
            options->scene = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: frame_compare [--output file|pipe|terminal] [--rounds N] "
                     "[--turn SECONDS] [--frames N] [--scene NAME]\n");
        return 2;
    }
    if (chdir(VESKOP_SOURCE_DIR) != 0) return 1;
    std::FILE* report = fdopen(dup(1), "w");
    RedirectedOutput output(options.output);
    if (report == nullptr || !output.ok()) return 1;
    Fullscreen = true;
    if (!CreateDemoWindow("VESKOP", 640, 480, 32, true)) return 1;

    for (const BareScene& scene : ShowScenes) {
        if (options.scene.empty() || options.scene == scene.name) CompareFrames(scene, options, report);
    }
    for (const BareScene& scene : ShowScenes) {
        if (options.allocationFrames == 0) break;
        if (!options.scene.empty() && options.scene != scene.name) continue;
        const AllocationCounts show = CountShowAllocations(scene, options.allocationFrames);
        const AllocationCounts bare = CountBareAllocations(scene, options.allocationFrames);
        std::fprintf(report, "allocations %s %d %lld %lld %lld %lld %lld %lld\n", scene.name,
                     options.allocationFrames, show.fromProgram, show.thisThread, show.allThreads,
                     bare.fromProgram, bare.thisThread, bare.allThreads);
        std::fflush(report);
    }
    DestroyDemoWindow();
    return 0;
}
