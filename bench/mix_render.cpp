// The music's mixer as a process of its own: loads the module as the sound library does and
// renders its whole length through the mixer the audio thread runs (1024-frame buffers,
// 44100 Hz, 16-bit stereo) into a raw file, as fast as it can. Its CPU time is compared with a
// plain renderer's of the same module to a file.
//
//   mix_render MODULE OUT.raw
#include <algorithm>
#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3) return Render(argv[1], argv[2]);
    std::fprintf(stderr, "usage: mix_render MODULE OUT.raw\n");
    return 2;
}
