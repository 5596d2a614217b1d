// Sound output for a capture: the mixer runs only inside RenderCapturedSound, on the capture's
// own thread, so there is nothing to lock and nothing to wait for.
#include "capture_output.h"

#include "sound_output.h"

#include <cstring>

namespace {

SongMixer* Mixer = nullptr;  // set while open
int Rate = 0;                // Hz, while open

}  // namespace

bool OpenSoundOutput(int rate, SongMixer* mixer) {
    Mixer = mixer;
    Rate = rate;
    return true;
}

void CloseSoundOutput() {
    Mixer = nullptr;
    Rate = 0;
}

bool SoundOutputOpen() { return Mixer != nullptr; }

bool SoundOutputRunsAlone() { return false; }

void LockSoundOutput() {}

void UnlockSoundOutput() {}

int SoundOutputBufferMs() { return 0; }  // nothing is held back: every sample is asked for

int CapturedSoundRate() { return Rate; }

bool CapturedSoundHasSong() {
    return Mixer != nullptr && (Mixer->playing != nullptr || Mixer->queued != nullptr);
}

void RenderCapturedSound(std::int16_t* out, int frames) {
    if (frames <= 0) return;
    if (Mixer == nullptr) {
        std::memset(out, 0, static_cast<size_t>(frames) * 2 * sizeof(std::int16_t));
        return;
    }
    MixOutput(Mixer, out, frames);
}
