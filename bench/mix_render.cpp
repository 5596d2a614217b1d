// The music's mixer as a process of its own, for two measurements:
//
//   mix_render render MODULE OUT.raw
//       Loads the module as the sound library does and renders its whole length through the
//       mixer the audio thread runs (1024-frame buffers, 44100 Hz, 16-bit stereo) into a raw
//       file, as fast as it can: its CPU time is compared with a plain renderer's of the same
//       module to a file.
//
//   mix_render deadline MODULE SECONDS BUSY_THREADS
//       Plays the module for SECONDS through the same mixer on a thread of SDL's audio priority,
//       paced like a sound device with two 1024-frame buffers: each time the device starts a
//       buffer, the next one must be mixed before that buffer ends. BUSY_THREADS threads spin
//       meanwhile, to load the machine. Prints "deadline BUFFERS UNDERRUNS WORST_SLACK_MS": the
//       buffers mixed, how many were late, and the least time any buffer was ready early.
#include <SDL.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <libopenmpt/libopenmpt.h>

#include "sound_internal.h"

namespace {

constexpr int Rate = 44100;
constexpr int BufferFrames = 1024;

struct Song {
    FMUSIC_MODULE* module = nullptr;
    SongMixer mixer;
};

bool OpenSong(const char* path, Song* song) {
    if (OpenSongFile(path, &song->module) != FMOD_ERR_NONE) return false;
    ResetMixer(&song->mixer, Rate);
    MixerPlay(&song->mixer, song->module);
    return true;
}

// The module's own length, once through.
int Render(const char* modulePath, const char* outPath) {
    Song song;
    if (!OpenSong(modulePath, &song)) return 1;
    const double seconds = openmpt_module_get_duration_seconds(song.module->module);
    std::FILE* out = std::fopen(outPath, "wb");
    if (out == nullptr) return 1;
    std::vector<std::int16_t> buffer(BufferFrames * 2);
    long frames = long(seconds * Rate);
    while (frames > 0) {
        const int now = int(std::min<long>(frames, BufferFrames));
        MixOutput(&song.mixer, buffer.data(), now);
        std::fwrite(buffer.data(), sizeof(std::int16_t), size_t(now) * 2, out);
        frames -= now;
    }
    CloseSongFile(song.module);
    return std::fclose(out) == 0 ? 0 : 1;
}

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
    Song song;
    double seconds;
    long buffers = 0;
    long underruns = 0;
    std::int64_t worstSlackNs = 0;
};

int SDLCALL PlayPaced(void* data) {
    DeadlineRun& run = *static_cast<DeadlineRun*>(data);
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);  // as SDL's own audio thread
    std::vector<std::int16_t> buffer(BufferFrames * 2);
    const std::int64_t periodNs = std::int64_t(BufferFrames) * 1000000000 / Rate;
    const long total = long(run.seconds * 1e9 / double(periodNs));
    MixOutput(&run.song.mixer, buffer.data(), BufferFrames);  // the two buffers it starts with
    MixOutput(&run.song.mixer, buffer.data(), BufferFrames);
    const std::int64_t start = NowNs();
    run.worstSlackNs = periodNs;
    for (long k = 1; k <= total; k++) {
        SleepUntil(start + k * periodNs);  // buffer k - 1 ends, buffer k starts: mix k + 1
        MixOutput(&run.song.mixer, buffer.data(), BufferFrames);
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
    if (!OpenSong(modulePath, &run.song)) return 1;
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
    CloseSongFile(run.song.module);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "render") == 0) return Render(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "deadline") == 0) {
        return Deadline(argv[2], std::atof(argv[3]), std::atoi(argv[4]));
    }
    std::fprintf(stderr,
                 "usage: mix_render render MODULE OUT.raw | deadline MODULE SECONDS BUSY_THREADS\n");
    return 2;
}
