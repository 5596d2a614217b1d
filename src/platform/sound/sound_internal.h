// Inside the sound library: songs, their files and the mixer that the audio thread runs.
// Tests and the bench use these directly to drive the mixer without an audio device.
#ifndef VESKOP_SOUND_INTERNAL_H
#define VESKOP_SOUND_INTERNAL_H

#include <fmod.h>

#include <cstdint>

typedef struct openmpt_module openmpt_module;

struct FMUSIC_MODULE {
    openmpt_module* module;     // owned; set to repeat forever, looping from its restart position
    FMUSIC_MODULE* nextLoaded;  // the library's list of live songs (program thread only)
};

// Largest module file read into memory: 64 MiB.
constexpr long MaxSongFileBytes = 64L * 1024 * 1024;

// Reads and decodes a module file. Returns FMOD_ERR_NONE and a new song (nextLoaded null), or
// the failure's code: FILE_NOT_FOUND, FILE_FORMAT (no module), FILE_BAD (unreadable, or a module
// with nothing to play), MEMORY (over MaxSongFileBytes, or out of memory). Needs no device.
int OpenSongFile(const char* path, FMUSIC_MODULE** song);
void CloseSongFile(FMUSIC_MODULE* song);

// Frames rendered per libopenmpt call; the output buffer may be any length.
constexpr int MixChunkFrames = 512;
// Fades that keep starts, stops and restarts free of clicks.
constexpr double FadeInSeconds = 0.005;
constexpr double FadeOutSeconds = 0.010;

// What the audio thread plays. Every access holds the device's audio lock, except where one
// thread owns the mixer alone (before the device starts, tests, the bench).
struct SongMixer {
    int rate;                 // Hz of the output
    FMUSIC_MODULE* playing;   // the song heard now, or null
    FMUSIC_MODULE* queued;    // starts from its beginning once `playing` has faded out
    bool stopping;            // fade `playing` out, then play nothing
    float gain;               // 0..1, ramped per frame
    float chunk[MixChunkFrames * 2];  // interleaved stereo scratch of the audio thread
};

void ResetMixer(SongMixer* mixer, int rate);
// Starts song from its beginning: at once if nothing is heard, else after a fade-out of the song
// heard now (which may be the same song: a restart).
void MixerPlay(SongMixer* mixer, FMUSIC_MODULE* song);
// Fades song out if it is heard, and takes it out of the queue.
void MixerStop(SongMixer* mixer, FMUSIC_MODULE* song);
// Forgets song at once, faded or not.
void MixerForget(SongMixer* mixer, FMUSIC_MODULE* song);
// Renders frames of signed 16-bit interleaved stereo into out (2 * frames values).
void MixOutput(SongMixer* mixer, std::int16_t* out, int frames);

// Asks for real-time scheduling of the calling thread, where the system grants it (elsewhere the
// thread keeps the raised priority SDL gave it). The device's thread asks before it mixes its
// first buffer: mixing a buffer takes a fraction of a millisecond and the thread then waits for
// the device, so it takes little from anyone, while a machine whose every core is busy drawing
// frames can no longer hold it back until the device runs dry.
void RequestRealTimeScheduling();

#endif
