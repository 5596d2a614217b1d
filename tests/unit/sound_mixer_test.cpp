// The mixer the audio thread runs, driven directly (no device): what is heard when a song
// starts, restarts, loops, gives way to another and stops.
#include "sound_internal.h"

#include "audio_analysis.h"
#include "tiny_xm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;

// A 1.0 s song: one burst at its start.
TinyXmSong BurstSong(int rows = 20) {
    TinyXmSong song;
    song.rows = rows;
    song.speed = 3;
    song.bpm = 150;  // 0.05 s rows
    song.sample = TinySample::ShortBurst;
    return song;
}

class SongMixerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMixer(&mixer, Rate); }
    void TearDown() override {
        for (FMUSIC_MODULE* song : songs) CloseSongFile(song);
    }

    FMUSIC_MODULE* Open(const TinyXmSong& song) {
        const std::string path = ScratchPath("mixer-" + std::to_string(songs.size()) + ".xm");
        EXPECT_TRUE(WriteTestFile(path, BuildTinyXm(song)));
        FMUSIC_MODULE* opened = nullptr;
        EXPECT_EQ(OpenSongFile(path.c_str(), &opened), FMOD_ERR_NONE);
        std::remove(path.c_str());
        songs.push_back(opened);
        return opened;
    }

    // Renders in uneven pieces, as device buffers of any size would ask, and appends to heard.
    void Render(double seconds) {
        long frames = std::lround(seconds * Rate);
        while (frames > 0) {
            const int piece = int(std::min(frames, 700L));
            std::vector<std::int16_t> buffer(size_t(piece) * 2, 0x7777);
            MixOutput(&mixer, buffer.data(), piece);
            heard.insert(heard.end(), buffer.begin(), buffer.end());
            frames -= piece;
        }
    }

    SongMixer mixer;
    std::vector<FMUSIC_MODULE*> songs;
    StereoSamples heard;
};

void ExpectTimes(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (size_t i = 0; i < actual.size(); i++) EXPECT_NEAR(actual[i], expected[i], 0.012) << i;
}

TEST_F(SongMixerTest, SilentUntilASongPlaysThenFadesIn) {
    FMUSIC_MODULE* song = Open(TinyXmSong{});
    Render(0.05);
    EXPECT_EQ(PeakSample(heard), 0);

    MixerPlay(&mixer, song);
    Render(0.3);
    const int peak = PeakSample(heard);
    EXPECT_GT(peak, 3000);
    EXPECT_GT(WindowRms(heard, Rate, 0.1, 0.35), 1000.0);
    // The first millisecond of the song is still well under full level.
    EXPECT_LT(WindowRms(heard, Rate, 0.05, 0.051), WindowRms(heard, Rate, 0.2, 0.3) / 3);
    EXPECT_LT(LargestStep(heard), peak / 6);
}

TEST_F(SongMixerTest, RestartAndStopInMidToneMakeNoClick) {
    FMUSIC_MODULE* song = Open(TinyXmSong{});
    MixerPlay(&mixer, song);
    Render(0.2);
    MixerPlay(&mixer, song);
    Render(0.2);
    MixerStop(&mixer, song);
    Render(0.1);

    const int peak = PeakSample(heard);
    ASSERT_GT(peak, 3000);
    // A 261 Hz tone moves at most 4% of its peak per frame; a cut would jump by the peak.
    EXPECT_LT(LargestStep(heard), peak / 6);
    EXPECT_GT(WindowRms(heard, Rate, 0.25, 0.4), 1000.0);
    EXPECT_EQ(WindowRms(heard, Rate, 0.42, 0.5), 0.0);
    EXPECT_EQ(mixer.playing, nullptr);
}

TEST_F(SongMixerTest, PlayingTheSongHeardStartsItOver) {
    FMUSIC_MODULE* song = Open(BurstSong());
    MixerPlay(&mixer, song);
    Render(0.4);
    MixerPlay(&mixer, song);
    Render(1.2);
    // Bursts at 0, at the restart (after the 10 ms fade-out), and a song length later.
    const double threshold = 0.1 * WindowRms(heard, Rate, 0.0, 0.05);
    ExpectTimes(Onsets(heard, Rate, threshold), {0.0, 0.41, 1.41});
}

TEST_F(SongMixerTest, LoopsFromTheModulesRestartPosition) {
    TinyXmSong song = BurstSong(6);  // 0.3 s patterns
    song.orders = {1, 0};            // an empty pattern, then the burst
    song.restart = 1;                // loop to the burst
    MixerPlay(&mixer, Open(song));
    Render(1.35);
    const double threshold = 0.1 * WindowRms(heard, Rate, 0.3, 0.35);
    ExpectTimes(Onsets(heard, Rate, threshold), {0.3, 0.6, 0.9, 1.2});
}

TEST_F(SongMixerTest, AnotherSongTakesOverFromItsStart) {
    FMUSIC_MODULE* tone = Open(TinyXmSong{});
    FMUSIC_MODULE* burst = Open(BurstSong());
    MixerPlay(&mixer, tone);
    Render(0.3);
    MixerPlay(&mixer, burst);
    Render(0.5);
    EXPECT_EQ(mixer.playing, burst);
    EXPECT_GT(WindowRms(heard, Rate, 0.31, 0.37), 1000.0);  // the burst
    EXPECT_EQ(WindowRms(heard, Rate, 0.45, 0.8), 0.0);       // and nothing of the tone
    EXPECT_LT(LargestStep(heard), PeakSample(heard) / 6);
}

TEST_F(SongMixerTest, StoppedBeforeStartOrForgottenPlaysNothing) {
    FMUSIC_MODULE* song = Open(TinyXmSong{});
    MixerPlay(&mixer, song);
    MixerStop(&mixer, song);
    Render(0.05);
    EXPECT_EQ(PeakSample(heard), 0);

    MixerPlay(&mixer, song);
    Render(0.05);
    MixerForget(&mixer, song);
    EXPECT_EQ(mixer.playing, nullptr);
    heard.clear();
    Render(0.05);
    EXPECT_EQ(PeakSample(heard), 0);
}

}  // namespace
