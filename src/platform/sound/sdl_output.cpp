// Sound output over SDL2 audio: the device's callback runs the mixer on SDL's audio thread.
//
// SDL may have been shut down already when the sound library closes at process exit (an atexit
// handler calling SDL_Quit before static destructors), so every SDL call is guarded by
// SDL_WasInit, and only the audio subsystem is ever started or stopped: video keeps running
// whatever happens here.
#include "sdl_output.h"
#include "sound_output.h"

#include <SDL.h>
#include <pthread.h>
#include <sched.h>

namespace {

SDL_AudioDeviceID Device = 0;  // 0 when closed
SongMixer* Mixer = nullptr;    // what the callback renders; set while open
int Rate = 0;                  // Hz, while open

// The scheduling of the thread that opened the device, when it is real-time (the program was
// started under a real-time policy): the device's thread takes it over, since SDL gives its
// threads an ordinary policy before their first buffer. SCHED_OTHER otherwise.
int OpenerPolicy = SCHED_OTHER;
sched_param OpenerPriority = {};

void RecordOpenerScheduling() {
    int policy = SCHED_OTHER;
    sched_param priority = {};
    const bool realTime = pthread_getschedparam(pthread_self(), &policy, &priority) == 0 &&
                          (policy == SCHED_RR || policy == SCHED_FIFO);
    OpenerPolicy = realTime ? policy : SCHED_OTHER;
    OpenerPriority = realTime ? priority : sched_param{};
}

void SDLCALL FillAudioBuffer(void*, Uint8* stream, int bytes) {
    static thread_local bool scheduled = false;  // once per device thread, before its first buffer
    if (!scheduled) {
        scheduled = true;
        RequestRealTimeScheduling();
    }
    MixOutput(Mixer, reinterpret_cast<std::int16_t*>(stream), bytes / int(2 * sizeof(std::int16_t)));
}

}  // namespace

// Mixing a buffer takes a fraction of a millisecond and the thread then waits for the device, so
// real-time scheduling takes little from anyone, while a machine whose every core is busy drawing
// frames can no longer hold the thread back until the device runs dry. Where it is refused, the
// thread keeps the raised priority SDL gave it. Under a program that is real-time already, the
// lowest real-time priority would put the thread beneath the drawing threads: it takes the
// program's own instead.
void RequestRealTimeScheduling() {
    if (OpenerPolicy != SCHED_OTHER) {
        pthread_setschedparam(pthread_self(), OpenerPolicy, &OpenerPriority);
        return;
    }
    sched_param priority = {};
    priority.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &priority);  // refused: nothing changes
}

bool OpenSoundOutput(int rate, SongMixer* mixer) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mixer = mixer;
    Rate = rate;
    RecordOpenerScheduling();
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = Uint16(DeviceBufferFrames(rate));
    wanted.callback = FillAudioBuffer;
    // No changes allowed: SDL converts to whatever the device takes, so the mixer always renders
    // exactly this format.
    Device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (Device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(Device, 0);  // silence until a song plays
    return true;
}

void CloseSoundOutput() {
    if (SoundOutputOpen()) {
        SDL_CloseAudioDevice(Device);  // joins the audio thread
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    // Otherwise SDL was shut down beneath us and took the device and its thread with it.
    Device = 0;
    Mixer = nullptr;
}

bool SoundOutputOpen() { return Device != 0 && SDL_WasInit(SDL_INIT_AUDIO) != 0; }

bool SoundOutputRunsAlone() {
    return SoundOutputOpen() && SDL_GetAudioDeviceStatus(Device) == SDL_AUDIO_PLAYING;
}

void LockSoundOutput() {
    if (SoundOutputOpen()) SDL_LockAudioDevice(Device);
}

void UnlockSoundOutput() {
    if (SoundOutputOpen()) SDL_UnlockAudioDevice(Device);
}

int SoundOutputBufferMs() { return Rate > 0 ? 1000 * DeviceBufferFrames(Rate) / Rate : 0; }
