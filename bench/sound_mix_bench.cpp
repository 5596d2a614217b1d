// Mixing speed: one device buffer (1024 frames, 23 ms at 44100 Hz) rendered by the mixer the
// audio thread runs. The "realtime" counter is seconds of music per second of CPU; an underrun
// needs it near 1, so it should stay in the hundreds.
#include "sound_internal.h"

#include "audio_analysis.h"
#include "tiny_xm.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int BufferFrames = 1024;

void MixSongFile(benchmark::State& state, const std::string& path) {
    FMUSIC_MODULE* song = nullptr;
    if (OpenSongFile(path.c_str(), &song) != FMOD_ERR_NONE) {
        state.SkipWithError(("cannot load " + path).c_str());
        return;
    }
    SongMixer mixer;
    ResetMixer(&mixer, Rate);
    MixerPlay(&mixer, song);
    std::vector<std::int16_t> buffer(BufferFrames * 2);
    for (auto _ : state) {
        MixOutput(&mixer, buffer.data(), BufferFrames);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["realtime"] = benchmark::Counter(double(BufferFrames) / Rate,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    CloseSongFile(song);
}

void BM_MixTinyModule(benchmark::State& state) {
    TinyXmSong song;
    song.noteEveryRow = true;
    const std::string path = ScratchPath("bench.xm");
    WriteTestFile(path, BuildTinyXm(song));
    MixSongFile(state, path);
    std::remove(path.c_str());
}
BENCHMARK(BM_MixTinyModule);

void BM_MixDemoModule(benchmark::State& state) {
    MixSongFile(state, VESKOP_SOURCE_DIR "/data/LUMAR7.XM");
}
BENCHMARK(BM_MixDemoModule);

}  // namespace
