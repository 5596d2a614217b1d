// Sound output for the web page over Web Audio, without threads: a timer of the page mixes
// ahead on the page's own thread, between frames, and each device buffer becomes an
// AudioBufferSourceNode started at the exact sample time where the one before it ends.
//
// The AudioContext is made when the output opens. A browser lets it play only after a user
// gesture: made during one (the page's click) it plays at once, otherwise it waits, silent and
// with its clock stopped, for the next click or key on the page. While its clock stands still
// nothing more is mixed, so the song does not run ahead of what is heard.
//
// The mixer runs only inside the timer's callback and the program's own calls, never at the
// same time: there is nothing to lock, and nothing to wait for.
#include "sound_output.h"

#include <emscripten.h>

#include <cstdint>

namespace {

// Sound queued ahead of what is heard: enough to ride out a slow frame of the page, which holds
// the timer back, while keeping the music close to the picture.
constexpr int QueuedMs = 120;
// How often the timer tops the queue up.
constexpr int RefillEveryMs = 10;
// Frames of the largest buffer, at the highest rate the library takes (192000 Hz).
constexpr int MaxBufferFrames = 4096;

SongMixer* Mixer = nullptr;  // set while open
int Rate = 0;                // Hz, while open
int BufferFrames = 0;        // frames per device buffer, while open
std::int16_t Samples[MaxBufferFrames * 2];  // interleaved stereo, the buffer being handed over

}  // namespace

// Called by the page's timer: mixes `frames` frames (at most one buffer) and returns where they
// are, or null when the output is closed.
extern "C" EMSCRIPTEN_KEEPALIVE std::int16_t* MixWebAudioBuffer(int frames) {
    if (Mixer == nullptr || frames <= 0 || frames > BufferFrames) return nullptr;
    MixOutput(Mixer, Samples, frames);
    return Samples;
}

namespace {

// Makes the AudioContext and starts the timer. 0 when the browser has no Web Audio.
// clang-format off
EM_JS(int, OpenWebAudio, (int rate, int bufferFrames, int queuedMs, int refillMs), {
    var AudioContextClass = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!AudioContextClass) return 0;
    var context;
    try {
        context = new AudioContextClass({ sampleRate: rate, latencyHint: 'interactive' });
    } catch (error) {
        return 0;
    }
    var output = { context: context, queuedUntil: 0, timer: 0, resume: null };
    // Plays the next buffer of the mix from `at` (seconds on the context's clock).
    function queueBuffer(frames, at) {
        var samples = _MixWebAudioBuffer(frames);
        if (!samples) return false;
        var buffer = context.createBuffer(2, frames, rate);
        var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
        var first = samples >> 1;
        for (var i = 0; i < frames; i++) {
            left[i] = HEAP16[first + 2 * i] / 32768;
            right[i] = HEAP16[first + 2 * i + 1] / 32768;
        }
        var source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(context.destination);
        source.start(at);
        return true;
    }
    function refill() {
        if (context.state !== 'running') return;
        var now = context.currentTime;
        if (output.queuedUntil < now) {
            // The page was held up past what was queued: the mix skips what should have been
            // heard meanwhile, as a device that kept playing would have, so that the music
            // stays with the show's clock.
            var missed = Math.floor((now - output.queuedUntil) * rate);
            while (missed > 0 && output.queuedUntil > 0) {
                var skip = Math.min(missed, bufferFrames);
                if (!_MixWebAudioBuffer(skip)) return;
                missed -= skip;
            }
            output.queuedUntil = now + 0.005;
        }
        while (output.queuedUntil < now + queuedMs / 1000) {
            if (!queueBuffer(bufferFrames, output.queuedUntil)) return;
            output.queuedUntil += bufferFrames / rate;
        }
    }
    // held: the page keeps the sound waiting (for the click that starts its show).
    output.held = false;
    output.resume = function() {
        if (context.state === 'suspended' && !output.held) context.resume();
    };
    // A gesture anywhere on the page lets a waiting context play.
    document.addEventListener('pointerdown', output.resume, true);
    document.addEventListener('keydown', output.resume, true);
    output.timer = setInterval(refill, refillMs);
    Module.veskopSoundOutput = output;
    return 1;
});

// Stops the timer and closes the AudioContext, cutting off what is queued.
EM_JS(void, CloseWebAudio, (), {
    var output = Module.veskopSoundOutput;
    if (!output) return;
    clearInterval(output.timer);
    document.removeEventListener('pointerdown', output.resume, true);
    document.removeEventListener('keydown', output.resume, true);
    output.context.close();
    Module.veskopSoundOutput = null;
});
// clang-format on

}  // namespace

bool OpenSoundOutput(int rate, SongMixer* mixer) {
    if (Mixer != nullptr) return false;
    const int frames = DeviceBufferFrames(rate);
    if (frames > MaxBufferFrames) return false;
    Mixer = mixer;
    Rate = rate;
    BufferFrames = frames;
    if (!OpenWebAudio(rate, frames, QueuedMs, RefillEveryMs)) {
        Mixer = nullptr;
        Rate = 0;
        BufferFrames = 0;
        return false;
    }
    return true;
}

void CloseSoundOutput() {
    if (Mixer == nullptr) return;
    CloseWebAudio();
    Mixer = nullptr;
    Rate = 0;
    BufferFrames = 0;
}

bool SoundOutputOpen() { return Mixer != nullptr; }

bool SoundOutputRunsAlone() { return false; }

void LockSoundOutput() {}

void UnlockSoundOutput() {}

int SoundOutputBufferMs() { return Rate > 0 ? 1000 * BufferFrames / Rate : 0; }
