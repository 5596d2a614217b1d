// A WAV file of signed 16-bit stereo, written as the samples come; its header, with the rate
// and the sizes, is filled in at the end.
#ifndef VESKOP_CAPTURE_WAV_WRITER_H
#define VESKOP_CAPTURE_WAV_WRITER_H

#include <cstdint>
#include <cstdio>
#include <string>

struct WavWriter {
    std::FILE* file = nullptr;
    std::uint32_t dataBytes = 0;  // written after the header so far
};

// Takes over an open, empty file (descriptor) and leaves room for the header. False when it
// cannot.
bool StartWav(int descriptor, WavWriter* wav);
// Appends frames of interleaved stereo (2 * frames values). False once a write has failed.
bool AppendWav(WavWriter* wav, const std::int16_t* samples, int frames);
// Writes the header for samples at rate Hz and closes the file. False when anything could not
// be written.
bool FinishWav(WavWriter* wav, int rate);

#endif
