// The mixer: renders the song heard now through libopenmpt, with short gain ramps whenever a
// song starts, stops or gives way to another, so the output never jumps.
#include "sound_internal.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstring>

void ResetMixer(SongMixer* mixer, int rate) {
    mixer->rate = rate;
    mixer->playing = nullptr;
    mixer->queued = nullptr;
    mixer->stopping = false;
    mixer->gain = 0.0f;
}

void MixerPlay(SongMixer* mixer, FMUSIC_MODULE* song) {
    mixer->queued = song;
    mixer->stopping = false;
}

void MixerStop(SongMixer* mixer, FMUSIC_MODULE* song) {
    if (mixer->queued == song) mixer->queued = nullptr;
    if (mixer->playing == song && mixer->queued == nullptr) mixer->stopping = true;
}

void MixerForget(SongMixer* mixer, FMUSIC_MODULE* song) {
    if (mixer->queued == song) mixer->queued = nullptr;
    if (mixer->playing == song) {
        mixer->playing = nullptr;
        mixer->stopping = false;
        mixer->gain = 0.0f;
    }
}

static std::int16_t ToSample(float value) {
    const float scaled = value * 32767.0f;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return std::int16_t(std::lrintf(scaled));
}

// Renders up to `frames` frames of the playing song, ramping the gain. Returns the frames
// written; fewer than asked when a fade-out reached silence.
static int MixChunk(SongMixer* mixer, std::int16_t* out, int frames) {
    const bool fadingOut = mixer->stopping || mixer->queued != nullptr;
    const float fadeInStep = float(1.0 / (FadeInSeconds * mixer->rate));
    const float fadeOutStep = float(1.0 / (FadeOutSeconds * mixer->rate));
    if (frames > MixChunkFrames) frames = MixChunkFrames;
    if (fadingOut) {
        const int untilSilent = int(std::ceil(mixer->gain / fadeOutStep));
        if (untilSilent < frames) frames = untilSilent;
    }

    const size_t rendered = openmpt_module_read_interleaved_float_stereo(
        mixer->playing->module, mixer->rate, size_t(frames), mixer->chunk);
    std::memset(mixer->chunk + rendered * 2, 0, (size_t(frames) - rendered) * 2 * sizeof(float));

    // The gain is a number between 0 and 1, never NaN: plain comparisons clamp it, which (with
    // lrintf compiled inline, see CMakeLists.txt) keeps this loop free of library calls.
    float gain = mixer->gain;
    for (int i = 0; i < frames; i++) {
        if (fadingOut) {
            gain = gain - fadeOutStep > 0.0f ? gain - fadeOutStep : 0.0f;
        } else {
            gain = gain + fadeInStep < 1.0f ? gain + fadeInStep : 1.0f;
        }
        out[2 * i] = ToSample(mixer->chunk[2 * i] * gain);
        out[2 * i + 1] = ToSample(mixer->chunk[2 * i + 1] * gain);
    }
    mixer->gain = gain;

    // Songs repeat forever, so a short read means the module has nothing more to give.
    if ((fadingOut && gain <= 0.0f) || rendered < size_t(frames)) {
        mixer->playing = nullptr;
        mixer->stopping = false;
        mixer->gain = 0.0f;
    }
    return frames;
}

void MixOutput(SongMixer* mixer, std::int16_t* out, int frames) {
    while (frames > 0) {
        if (mixer->playing == nullptr && mixer->queued != nullptr) {
            mixer->playing = mixer->queued;
            mixer->queued = nullptr;
            mixer->gain = 0.0f;
            openmpt_module_set_position_seconds(mixer->playing->module, 0.0);
        }
        int written = frames;
        if (mixer->playing == nullptr)
            std::memset(out, 0, size_t(frames) * 2 * sizeof(std::int16_t));
        else
            written = MixChunk(mixer, out, frames);
        out += 2 * written;
        frames -= written;
    }
}

int DeviceBufferFrames(int rate) {
    int frames = 256;
    while (frames < rate / 48) frames *= 2;
    return frames;
}
