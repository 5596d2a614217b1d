// The music's mixer paced like a sound device: plays the module for SECONDS through the mixer
// the audio thread runs, on a thread scheduled as the device's thread is, with two 1024-frame
// buffers: each time the device starts a buffer, the next one must be mixed before that buffer
// ends. BUSY_THREADS threads spin meanwhile, to load the machine.
//
//   mix_deadline MODULE SECONDS BUSY_THREADS
//
// Prints "deadline BUFFERS UNDERRUNS WORST_SLACK_MS": the buffers mixed, how many were late, and
// the least time any buffer was ready early (negative: late).
#include <SDL.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "sdl_output.h"
#include "sound_internal.h"

namespace {

constexpr int Rate = 44100;
constexpr int BufferFrames = 1024;

std::int64_t NowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void SleepUntil(std::int64_t ns) {
    timespec until = {time_t(ns / 1000000000), long(ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

struct DeadlineRun {
    FMUSIC_MODULE* module = nullptr;
    SongMixer mixer;
    double seconds;
    long buffers = 0;
    long underruns = 0;
    std::int64_t worstSlackNs = 0;
};

int SDLCALL PlayPaced(void* data) {
    DeadlineRun& run = *static_cast<DeadlineRun*>(data);
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);  // as SDL's own audio thread,
    RequestRealTimeScheduling();                                // then as the sound library
    std::vector<std::int16_t> buffer(BufferFrames * 2);
    const std::int64_t periodNs = std::int64_t(BufferFrames) * 1000000000 / Rate;
    const long total = long(run.seconds * 1e9 / double(periodNs));
    MixOutput(&run.mixer, buffer.data(), BufferFrames);  // the two buffers it starts with
    MixOutput(&run.mixer, buffer.data(), BufferFrames);
    const std::int64_t start = NowNs();
    run.worstSlackNs = periodNs;
    for (long k = 1; k <= total; k++) {
        SleepUntil(start + k * periodNs);  // buffer k - 1 ends, buffer k starts: mix k + 1
        MixOutput(&run.mixer, buffer.data(), BufferFrames);
        const std::int64_t slack = start + (k + 1) * periodNs - NowNs();
        if (slack < 0) run.underruns++;
        run.worstSlackNs = std::min(run.worstSlackNs, slack);
        run.buffers++;
    }
    return 0;
}

int Deadline(const char* modulePath, double seconds, int busyThreads) {
    DeadlineRun run;
    run.seconds = seconds;
    if (OpenSongFile(modulePath, &run.module) != FMOD_ERR_NONE) return 1;
    ResetMixer(&run.mixer, Rate);
    MixerPlay(&run.mixer, run.module);
    std::atomic<bool> done{false};
    std::vector<std::thread> busy;
    for (int i = 0; i < busyThreads; i++) {
        busy.emplace_back([&done] {
            volatile unsigned long spin = 0;
            while (!done.load(std::memory_order_relaxed)) spin = spin + 1;
        });
    }
    SDL_Thread* player = SDL_CreateThread(PlayPaced, "mix_render", &run);
    if (player != nullptr) SDL_WaitThread(player, nullptr);
    done = true;
    for (std::thread& thread : busy) thread.join();
    if (player == nullptr) return 1;
    std::printf("deadline %ld %ld %.3f\n", run.buffers, run.underruns, run.worstSlackNs * 1e-6);
    CloseSongFile(run.module);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4) return Deadline(argv[1], std::atof(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: mix_deadline MODULE SECONDS BUSY_THREADS\n");
    return 2;
}
