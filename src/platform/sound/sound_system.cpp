// The seven calls: the list of songs, and the mixer that the linked sound output plays.
//
// The program's thread reaches the mixer only here, under the output's lock. At process exit
// these may run after the system beneath the output has been shut down; the output then reports
// itself closed and nothing waits on it.
#include "sound_output.h"

#include <chrono>
#include <thread>

namespace {

struct SoundSystem {
    bool initialised;
    int lastError;               // FMOD_ERRORS code of the last failure
    FMUSIC_MODULE* loadedSongs;  // every live song, newest first; program thread only
    SongMixer mixer;             // shared with the output's thread
};

// Plain data with no destructor: intact during exit-time destruction.
SoundSystem Sound;

signed char Fail(int code) {
    Sound.lastError = code;
    return 0;
}

// Lets the output fade song out (already asked of the mixer) before it is taken away. Bounded,
// so a stalled device can delay the caller but never hang it.
void WaitForFadeOut(const FMUSIC_MODULE* song) {
    if (!SoundOutputRunsAlone()) return;
    const auto limit = std::chrono::milliseconds(100 + 3 * SoundOutputBufferMs());
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        LockSoundOutput();
        const bool heard = Sound.mixer.playing == song;
        UnlockSoundOutput();
        if (!heard || std::chrono::steady_clock::now() - start > limit) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool IsLoaded(const FMUSIC_MODULE* song) {
    for (const FMUSIC_MODULE* loaded = Sound.loadedSongs; loaded != nullptr; loaded = loaded->nextLoaded)
        if (loaded == song) return true;
    return false;
}

void Unlink(FMUSIC_MODULE* song) {
    for (FMUSIC_MODULE** link = &Sound.loadedSongs; *link != nullptr; link = &(*link)->nextLoaded) {
        if (*link == song) {
            *link = song->nextLoaded;
            return;
        }
    }
}

}  // namespace

extern "C" {

float FSOUND_GetVersion(void) { return FMOD_VERSION; }

int FSOUND_GetError(void) { return Sound.lastError; }

signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int) {
    if (Sound.initialised) return Fail(FMOD_ERR_ALREADY_INITIALIZED);
    if (mixRate < 8000 || mixRate > 192000 || maxSoftwareChannels < 0 || maxSoftwareChannels > 1024)
        return Fail(FMOD_ERR_INVALID_PARAM);
    ResetMixer(&Sound.mixer, mixRate);
    if (!OpenSoundOutput(mixRate, &Sound.mixer)) return Fail(FMOD_ERR_INIT);
    Sound.initialised = true;
    return 1;
}

void FSOUND_Close(void) {
    if (!Sound.initialised) return;
    LockSoundOutput();
    Sound.mixer.queued = nullptr;
    FMUSIC_MODULE* heard = Sound.mixer.playing;
    if (heard != nullptr) MixerStop(&Sound.mixer, heard);
    UnlockSoundOutput();
    if (heard != nullptr) WaitForFadeOut(heard);
    CloseSoundOutput();
    ResetMixer(&Sound.mixer, Sound.mixer.rate);
    while (Sound.loadedSongs != nullptr) {
        FMUSIC_MODULE* song = Sound.loadedSongs;
        Sound.loadedSongs = song->nextLoaded;
        CloseSongFile(song);
    }
    Sound.initialised = false;
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    if (!Sound.initialised) {
        Fail(FMOD_ERR_UNINITIALIZED);
        return nullptr;
    }
    FMUSIC_MODULE* song = nullptr;
    const int code = OpenSongFile(name, &song);
    if (code != FMOD_ERR_NONE) {
        Fail(code);
        return nullptr;
    }
    song->nextLoaded = Sound.loadedSongs;
    Sound.loadedSongs = song;
    return song;
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* module) {
    if (module == nullptr) return Fail(FMOD_ERR_INVALID_PARAM);
    if (!Sound.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
    if (!IsLoaded(module)) return Fail(FMOD_ERR_INVALID_PARAM);
    if (!SoundOutputOpen()) return Fail(FMOD_ERR_PLAY);
    LockSoundOutput();
    MixerPlay(&Sound.mixer, module);
    UnlockSoundOutput();
    return 1;
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* module) {
    if (module == nullptr) return Fail(FMOD_ERR_INVALID_PARAM);
    if (!Sound.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
    if (!IsLoaded(module)) return Fail(FMOD_ERR_INVALID_PARAM);
    LockSoundOutput();
    MixerStop(&Sound.mixer, module);
    UnlockSoundOutput();
    WaitForFadeOut(module);
    LockSoundOutput();
    MixerForget(&Sound.mixer, module);
    UnlockSoundOutput();
    Unlink(module);
    CloseSongFile(module);
    return 1;
}

}  // extern "C"
