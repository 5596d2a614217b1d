// libFuzzer target: the input, as a file, through the sound library's module loading (the path
// FMUSIC_LoadSong takes, without an audio device), and a loaded song's first mixer chunks.
#include "sound_internal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_input_file.h"

namespace {

[[noreturn]] void Fail(const char* what, int code) {
    std::fprintf(stderr, "song file check: %s (code %d)\n", what, code);
    std::abort();
}

SongMixer Mixer;  // large; the audio thread's in the library
std::int16_t Out[2 * 2 * MixChunkFrames];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FMUSIC_MODULE* song = nullptr;
    const int code = OpenSongFile(FuzzInputFile(data, size), &song);
    if ((code == FMOD_ERR_NONE) != (song != nullptr)) Fail("result and song disagree", code);
    if (song == nullptr) {
        if (code != FMOD_ERR_FILE_FORMAT && code != FMOD_ERR_FILE_BAD && code != FMOD_ERR_VERSION &&
            code != FMOD_ERR_MEMORY)
            Fail("a failure code that loading cannot give", code);
        return 0;
    }
    ResetMixer(&Mixer, 44100);
    MixerPlay(&Mixer, song);
    MixOutput(&Mixer, Out, 2 * MixChunkFrames);
    MixerForget(&Mixer, song);
    CloseSongFile(song);
    return 0;
}
