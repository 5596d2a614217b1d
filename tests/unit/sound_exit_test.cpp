// The program's static music player at process exit, over the real sound library: the process
// ends promptly with status 0 and writes only the player's own texts to standard output.
#include "audio_analysis.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ProbeRun {
    int status;          // exit status, or -1 when killed or not run
    std::string output;  // standard output
};

ProbeRun RunProbe(const std::string& environment, const std::string& mode) {
    const std::string module = ScratchPath("exit-probe.xm");
    // timeout turns a hang at exit into a failure instead of a stuck test.
    const std::string command = environment + " timeout 10 " SOUND_EXIT_PROBE " " + module +
                                " " + mode + " 2>/dev/null";
    ProbeRun run = {-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[256];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) run.output.append(buffer, got);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    std::remove(module.c_str());
    return run;
}

std::string DiskDriver() {
    return "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + ScratchPath("exit-probe.raw");
}

TEST(SoundExitTest, ShutsDownCleanlyAfterSdlQuitRanFirst) {
    const ProbeRun run = RunProbe(DiskDriver(), "quit-sdl");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    std::remove(ScratchPath("exit-probe.raw").c_str());
}

TEST(SoundExitTest, ShutsDownCleanlyWithSdlStillRunning) {
    const ProbeRun run = RunProbe(DiskDriver(), "keep-sdl");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    // The player's exit-time shutdown stops the song with its fade-out before the device
    // closes: the recording ends in silence that the tone fades into, not in the tone.
    const int rate = 44100;
    const StereoSamples samples = ReadRawStereo(ScratchPath("exit-probe.raw"));
    long frames = long(samples.size() / 2), sounding = frames;
    while (sounding > 0 && samples[2 * sounding - 2] == 0 && samples[2 * sounding - 1] == 0) sounding--;
    ASSERT_GT(sounding, rate / 10) << "hardly any sound recorded";
    EXPECT_LT(sounding, frames) << "the recording ends in the middle of the tone";
    const double end = double(sounding) / rate;
    EXPECT_LT(WindowRms(samples, rate, end - 0.002, end),
              0.3 * WindowRms(samples, rate, end - 0.05, end - 0.02))
        << "the tone stops without fading";
    std::remove(ScratchPath("exit-probe.raw").c_str());
}

TEST(SoundExitTest, WithoutAnOutputDeviceRunsSilentlyAndSaysWhy) {
    const ProbeRun run = RunProbe("SDL_AUDIODRIVER=no-such-driver", "quit-sdl");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "Error initializing output device.");
}

}  // namespace
