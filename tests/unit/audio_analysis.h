// Measurements on signed 16-bit interleaved stereo, for tests that listen to the mixer's output.
#ifndef VESKOP_TEST_AUDIO_ANALYSIS_H
#define VESKOP_TEST_AUDIO_ANALYSIS_H

#include <cstdint>
#include <string>
#include <vector>

using StereoSamples = std::vector<std::int16_t>;  // left, right, left, right, ...

// RMS of both channels over [fromSeconds, toSeconds), clipped to the samples there are.
double WindowRms(const StereoSamples& samples, int rate, double fromSeconds, double toSeconds);
// Largest absolute sample.
int PeakSample(const StereoSamples& samples);
// Largest jump between neighbouring frames of one channel: a click shows as a jump far above
// what the music itself makes.
int LargestStep(const StereoSamples& samples);
// Seconds at which sound begins after silence: starts of 5 ms blocks whose RMS rises above
// `threshold` after at least one block at or below threshold / 4.
std::vector<double> Onsets(const StereoSamples& samples, int rate, double threshold);
// Index of the first frame with a nonzero sample, or -1.
long FirstSoundingFrame(const StereoSamples& samples);

// The whole raw file as stereo samples (empty when unreadable).
StereoSamples ReadRawStereo(const std::string& path);
// A path for a scratch file of this test process: the temp dir, the process id and name.
std::string ScratchPath(const std::string& name);

#endif
