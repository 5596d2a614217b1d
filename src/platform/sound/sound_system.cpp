// The seven calls: an SDL2 audio device whose callback runs the mixer, and the list of songs.
//
// The program's thread reaches the mixer only here, under the device's audio lock. SDL may
// have been shut down already when these run at process exit (an atexit handler calling
// SDL_Quit before static destructors), so every SDL call is guarded by SDL_WasInit, and only
// the audio subsystem is ever started or stopped: video keeps running whatever we do.
#include "sound_internal.h"

#include <pthread.h>
#include <sched.h>

#include <SDL.h>

namespace {

struct SoundSystem {
    bool initialised;
    SDL_AudioDeviceID device;    // 0 when closed
    int lastError;               // FMOD_ERRORS code of the last failure
    FMUSIC_MODULE* loadedSongs;  // every live song, newest first; program thread only
    SongMixer mixer;             // shared with the audio thread
};

// Plain data with no destructor: intact during exit-time destruction.
SoundSystem Sound;

signed char Fail(int code) {
    Sound.lastError = code;
    return 0;
}

void SDLCALL FillAudioBuffer(void*, Uint8* stream, int bytes) {
    static thread_local bool scheduled = false;  // once per device thread
    if (!scheduled) {
        scheduled = true;
        RequestRealTimeScheduling();
    }
    MixOutput(&Sound.mixer, reinterpret_cast<std::int16_t*>(stream),
              bytes / int(2 * sizeof(std::int16_t)));
}

// True while SDL's audio thread exists and may be inside FillAudioBuffer.
bool AudioThreadLive() { return Sound.device != 0 && SDL_WasInit(SDL_INIT_AUDIO) != 0; }

void LockMixer() {
    if (AudioThreadLive()) SDL_LockAudioDevice(Sound.device);
}

void UnlockMixer() {
    if (AudioThreadLive()) SDL_UnlockAudioDevice(Sound.device);
}

// Frames per device buffer: the smallest power of two holding about 20 ms (1024 at 44100 Hz).
Uint16 DeviceBufferFrames(int mixRate) {
    Uint16 frames = 256;
    while (frames < mixRate / 48) frames = Uint16(frames * 2);
    return frames;
}

// Lets the audio thread fade song out (already asked of the mixer) before it is taken away.
// Bounded, so a stalled device can delay the caller but never hang it.
void WaitForFadeOut(const FMUSIC_MODULE* song) {
    if (!AudioThreadLive() || SDL_GetAudioDeviceStatus(Sound.device) != SDL_AUDIO_PLAYING) return;
    const Uint32 bufferMs = Uint32(1000 * DeviceBufferFrames(Sound.mixer.rate) / Sound.mixer.rate);
    const Uint32 limitMs = 100 + 3 * bufferMs;
    const Uint32 start = SDL_GetTicks();
    for (;;) {
        SDL_LockAudioDevice(Sound.device);
        const bool heard = Sound.mixer.playing == song;
        SDL_UnlockAudioDevice(Sound.device);
        if (!heard || SDL_GetTicks() - start > limitMs) return;
        SDL_Delay(1);
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

void RequestRealTimeScheduling() {
    sched_param priority = {};
    priority.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &priority);  // refused: nothing changes
}

extern "C" {

float FSOUND_GetVersion(void) { return FMOD_VERSION; }

int FSOUND_GetError(void) { return Sound.lastError; }

signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int) {
    if (Sound.initialised) return Fail(FMOD_ERR_ALREADY_INITIALIZED);
    if (mixRate < 8000 || mixRate > 192000 || maxSoftwareChannels < 0 || maxSoftwareChannels > 1024)
        return Fail(FMOD_ERR_INVALID_PARAM);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(FMOD_ERR_INIT);

    ResetMixer(&Sound.mixer, mixRate);
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = mixRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = DeviceBufferFrames(mixRate);
    wanted.callback = FillAudioBuffer;
    // No changes allowed: SDL converts to whatever the device takes, so the mixer always
    // renders exactly this format.
    Sound.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (Sound.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(FMOD_ERR_INIT);
    }
    Sound.initialised = true;
    SDL_PauseAudioDevice(Sound.device, 0);  // silence until a song plays
    return 1;
}

void FSOUND_Close(void) {
    if (!Sound.initialised) return;
    if (AudioThreadLive()) {
        SDL_LockAudioDevice(Sound.device);
        Sound.mixer.queued = nullptr;
        FMUSIC_MODULE* heard = Sound.mixer.playing;
        if (heard != nullptr) MixerStop(&Sound.mixer, heard);
        SDL_UnlockAudioDevice(Sound.device);
        if (heard != nullptr) WaitForFadeOut(heard);
        SDL_CloseAudioDevice(Sound.device);  // joins the audio thread
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // Otherwise SDL was shut down beneath us and took the device and its thread with it.
    Sound.device = 0;
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
    if (!AudioThreadLive()) return Fail(FMOD_ERR_PLAY);
    SDL_LockAudioDevice(Sound.device);
    MixerPlay(&Sound.mixer, module);
    SDL_UnlockAudioDevice(Sound.device);
    return 1;
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* module) {
    if (module == nullptr) return Fail(FMOD_ERR_INVALID_PARAM);
    if (!Sound.initialised) return Fail(FMOD_ERR_UNINITIALIZED);
    if (!IsLoaded(module)) return Fail(FMOD_ERR_INVALID_PARAM);
    LockMixer();
    MixerStop(&Sound.mixer, module);
    UnlockMixer();
    WaitForFadeOut(module);
    LockMixer();
    MixerForget(&Sound.mixer, module);
    UnlockMixer();
    Unlink(module);
    CloseSongFile(module);
    return 1;
}

}  // extern "C"
