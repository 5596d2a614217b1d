#include "audio_analysis.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

double WindowRms(const StereoSamples& samples, int rate, double fromSeconds, double toSeconds) {
    const size_t frames = samples.size() / 2;
    size_t from = size_t(std::lround(fromSeconds * rate));
    size_t to = size_t(std::lround(toSeconds * rate));
    if (to > frames) to = frames;
    if (from >= to) return 0.0;
    double sum = 0.0;
    for (size_t i = 2 * from; i < 2 * to; i++) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(2 * (to - from)));
}

int PeakSample(const StereoSamples& samples) {
    int peak = 0;
    for (std::int16_t value : samples) peak = std::max(peak, std::abs(int(value)));
    return peak;
}

int LargestStep(const StereoSamples& samples) {
    int largest = 0;
    for (size_t i = 2; i < samples.size(); i++)
        largest = std::max(largest, std::abs(int(samples[i]) - int(samples[i - 2])));
    return largest;
}

std::vector<double> Onsets(const StereoSamples& samples, int rate, double threshold) {
    const int block = rate / 200;
    std::vector<double> onsets;
    bool quiet = true;
    for (size_t start = 0; start + size_t(block) <= samples.size() / 2; start += size_t(block)) {
        const double seconds = double(start) / rate;
        const double rms = WindowRms(samples, rate, seconds, seconds + double(block) / rate);
        if (quiet && rms > threshold) {
            onsets.push_back(seconds);
            quiet = false;
        } else if (rms <= threshold / 4) {
            quiet = true;
        }
    }
    return onsets;
}

long FirstSoundingFrame(const StereoSamples& samples) {
    for (size_t i = 0; i < samples.size(); i++)
        if (samples[i] != 0) return long(i / 2);
    return -1;
}

StereoSamples ReadRawStereo(const std::string& path) {
    StereoSamples samples;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return samples;
    std::int16_t frame[2];
    while (std::fread(frame, sizeof(frame), 1, file) == 1) {
        samples.push_back(frame[0]);
        samples.push_back(frame[1]);
    }
    std::fclose(file);
    return samples;
}

std::string ScratchPath(const std::string& name) {
    return ::testing::TempDir() + "veskop-" + std::to_string(getpid()) + "-" + name;
}
