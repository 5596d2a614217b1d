// The device side of the sound library: what consumes the mixer's output. The seven calls, the
// songs and the mixer are the same everywhere; each build links one output: SDL audio on Linux,
// waveOut on Windows, or a renderer that a capture drives frame by frame.
#ifndef VESKOP_SOUND_OUTPUT_H
#define VESKOP_SOUND_OUTPUT_H

#include "sound_internal.h"

// Opens the output at rate Hz, signed 16-bit interleaved stereo, which from then on takes its
// samples from MixOutput(mixer, ...). The mixer must be reset before and outlive the output.
// False, with nothing left open, when there is no device to play on.
bool OpenSoundOutput(int rate, SongMixer* mixer);

// Stops taking samples and closes the device. Does nothing when not open; safe at process exit,
// also when the system beneath (SDL, say) has already been shut down.
void CloseSoundOutput();

// True from a successful OpenSoundOutput until CloseSoundOutput, while the output still exists.
bool SoundOutputOpen();

// True while the output mixes on a thread and clock of its own (a device playing): the mixer
// must then be touched only between LockSoundOutput and UnlockSoundOutput, and a fade asked of
// it is heard by waiting. False for an output that mixes only when its owner asks.
bool SoundOutputRunsAlone();
void LockSoundOutput();
void UnlockSoundOutput();

// Milliseconds of sound one device buffer holds: how long the output may take to play what the
// mixer gave it last.
int SoundOutputBufferMs();

#endif
