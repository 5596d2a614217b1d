// The sound output of a capture: no device, no thread. The capture asks for each frame's
// samples when it writes that frame, so the sound follows the frames exactly.
#ifndef VESKOP_CAPTURE_OUTPUT_H
#define VESKOP_CAPTURE_OUTPUT_H

#include <cstdint>

// The rate the sound library opened the output at, Hz; 0 while it is not open.
int CapturedSoundRate();

// Whether a song is playing, or waits to start with the next samples.
bool CapturedSoundHasSong();

// The next `frames` frames of the mix, signed 16-bit interleaved stereo (2 * frames values);
// silence while the output is not open.
void RenderCapturedSound(std::int16_t* out, int frames);

#endif
