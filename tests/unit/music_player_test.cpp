// The music player against the recording fake of the sound library.
#include "music/music_player.h"

#include "fake_sound.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using Names = std::vector<std::string>;

const char* const ModulePath = "data/LUMAR7.XM";

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFakeSound(); }

    void StartCapture() {
        std::fflush(stdout);
        ::testing::internal::CaptureStdout();
    }
    std::string EndCapture() {
        std::fflush(stdout);
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST(MusicErrorStringTest, TextsOfTheLibraryCodes) {
    EXPECT_STREQ(MusicErrorString(0), "No errors");
    EXPECT_STREQ(MusicErrorString(1),
                 "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(MusicErrorString(2), "This command failed because FSOUND_Init was not called");
    EXPECT_STREQ(MusicErrorString(3), "Error initializing output device.");
    EXPECT_STREQ(MusicErrorString(9), "File not found");
    EXPECT_STREQ(MusicErrorString(10), "Unknown file format");
    EXPECT_STREQ(MusicErrorString(11), "Error loading file");
    EXPECT_STREQ(MusicErrorString(12), "Not enough memory ");  // the trailing space is kept
    EXPECT_STREQ(MusicErrorString(14), "An invalid parameter was passed to this function");
    EXPECT_STREQ(MusicErrorString(19), "Required Mediaplayer codec is not installed");
}

TEST(MusicErrorStringTest, EveryKnownCodeHasItsOwnTextWithoutLineEnd) {
    std::vector<std::string> seen;
    for (int code = 0; code <= 19; code++) {
        const std::string text = MusicErrorString(code);
        EXPECT_NE(text, "Unknown error") << code;
        EXPECT_EQ(text.find('\n'), std::string::npos) << code;
        for (const std::string& earlier : seen) EXPECT_NE(text, earlier) << code;
        seen.push_back(text);
    }
}

TEST(MusicErrorStringTest, CodesOutsideTheTableAreUnknown) {
    for (int code : {20, 21, -1, -20, INT_MAX, INT_MIN})
        EXPECT_STREQ(MusicErrorString(code), "Unknown error") << code;
}

TEST(MusicPlayerLayoutTest, SongThenFileNameOf256Characters) {
    MusicPlayer player;
    EXPECT_EQ(player.song, nullptr);
    EXPECT_STREQ(player.fileName, "");
    EXPECT_EQ(sizeof(player.fileName), 256u);
    EXPECT_LT(offsetof(MusicPlayer, song), offsetof(MusicPlayer, fileName));
    EXPECT_FALSE(std::is_copy_constructible<MusicPlayer>::value);
    EXPECT_FALSE(std::is_copy_assignable<MusicPlayer>::value);
}

TEST(MusicPlayerLayoutTest, TheStaticPlayerStartsEmpty) {
    EXPECT_EQ(music.song, nullptr);
    EXPECT_STREQ(music.fileName, "");
}

TEST_F(MusicPlayerTest, InitStartsTheSoundSystemAndLoadsTheModule) {
    MusicPlayer player;
    StartCapture();
    EXPECT_TRUE(player.Init(ModulePath));
    EXPECT_TRUE(player.Play());
    EXPECT_EQ(EndCapture(), "");

    EXPECT_EQ(FakeSoundCallNames(),
              (Names{"FSOUND_GetVersion", "FSOUND_Init", "FMUSIC_LoadSong", "FMUSIC_PlaySong"}));
    const std::vector<FakeSoundCall>& calls = FakeSoundCalls();
    EXPECT_EQ(calls[1].mixRate, 44100);
    EXPECT_EQ(calls[1].maxSoftwareChannels, 32);
    EXPECT_EQ(calls[1].flags, 2u);
    EXPECT_EQ(calls[2].path, ModulePath);
    EXPECT_EQ(player.song, FakeSoundSong(0));
    EXPECT_EQ(calls[3].song, FakeSoundSong(0));
}

TEST_F(MusicPlayerTest, VersionExactlyRequiredIsAccepted) {
    SetFakeSoundVersion(3.33f);
    MusicPlayer player;
    EXPECT_TRUE(player.Init(ModulePath));
}

TEST_F(MusicPlayerTest, OlderVersionWritesTheMessageOnceAndCallsNothingElse) {
    for (float version : {3.32f, std::nextafter(3.33f, 0.0f), 0.0f}) {
        ResetFakeSound();
        SetFakeSoundVersion(version);
        MusicPlayer player;
        StartCapture();
        EXPECT_FALSE(player.Init(ModulePath));
        EXPECT_EQ(EndCapture(), "Error: Incorrect version, use FMOD-3.33 instead.\n");
        EXPECT_EQ(FakeSoundCallNames(), Names{"FSOUND_GetVersion"}) << version;
        EXPECT_EQ(player.song, nullptr);

        // The set-up plays regardless: the null song goes to the library as it is.
        player.Play();
        ASSERT_EQ(FakeSoundCalls().size(), 2u);
        EXPECT_EQ(FakeSoundCalls()[1].call, SoundCall::PlaySong);
        EXPECT_EQ(FakeSoundCalls()[1].song, nullptr);
    }
}

TEST_F(MusicPlayerTest, MissingModuleWritesItsTextWithoutLineEnd) {
    FailNextFakeSoundCall(SoundCall::LoadSong, FMOD_ERR_FILE_NOT_FOUND);
    FailNextFakeSoundCall(SoundCall::LoadSong, FMOD_ERR_FILE_NOT_FOUND);
    MusicPlayer player;
    StartCapture();
    EXPECT_FALSE(player.Init(ModulePath));
    EXPECT_FALSE(player.Load(ModulePath));  // a second failure runs on in the same line
    EXPECT_EQ(EndCapture(), "File not foundFile not found");
    EXPECT_EQ(player.song, nullptr);
    EXPECT_STREQ(player.fileName, "");

    player.Play();
    EXPECT_EQ(FakeSoundCallNames(),
              (Names{"FSOUND_GetVersion", "FSOUND_Init", "FMUSIC_LoadSong", "FSOUND_GetError",
                     "FMUSIC_LoadSong", "FSOUND_GetError", "FMUSIC_PlaySong"}));
    EXPECT_EQ(FakeSoundCalls().back().song, nullptr);
}

TEST_F(MusicPlayerTest, FailedStartReportsAndLoadsNothing) {
    FailNextFakeSoundCall(SoundCall::Init, FMOD_ERR_INIT);
    MusicPlayer player;
    StartCapture();
    EXPECT_FALSE(player.Init(ModulePath));
    EXPECT_EQ(EndCapture(), "Error initializing output device.");
    EXPECT_EQ(FakeSoundCallNames(), (Names{"FSOUND_GetVersion", "FSOUND_Init", "FSOUND_GetError"}));
    EXPECT_EQ(player.song, nullptr);
}

TEST_F(MusicPlayerTest, InitAgainAfterToggleKeepsAndReplaysTheFirstSong) {
    MusicPlayer player;
    ASSERT_TRUE(player.Init(ModulePath));
    player.Play();

    // The second set-up: the library is still running and refuses a second start.
    FailNextFakeSoundCall(SoundCall::Init, FMOD_ERR_ALREADY_INITIALIZED);
    StartCapture();
    EXPECT_FALSE(player.Init(ModulePath));
    player.Play();
    EXPECT_EQ(EndCapture(), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");

    EXPECT_EQ(FakeSoundCallNames(),
              (Names{"FSOUND_GetVersion", "FSOUND_Init", "FMUSIC_LoadSong", "FMUSIC_PlaySong",
                     "FSOUND_GetVersion", "FSOUND_Init", "FSOUND_GetError", "FMUSIC_PlaySong"}));
    EXPECT_EQ(player.song, FakeSoundSong(0));
    EXPECT_EQ(FakeSoundCalls().back().song, FakeSoundSong(0));
    EXPECT_STREQ(player.fileName, ModulePath);
}

TEST_F(MusicPlayerTest, ShutdownWithNothingLoadedStillFreesAndCloses) {
    { MusicPlayer player; }  // destruction runs Shutdown
    EXPECT_EQ(FakeSoundCallNames(), (Names{"FMUSIC_FreeSong", "FSOUND_Close"}));
    EXPECT_EQ(FakeSoundCalls()[0].song, nullptr);
}

TEST_F(MusicPlayerTest, ShutdownFreesTheLoadedSongAndClosesEvenWhenFreeFails) {
    MusicPlayer player;
    ASSERT_TRUE(player.Load(ModulePath));
    ResetFakeSound();
    FailNextFakeSoundCall(SoundCall::FreeSong, FMOD_ERR_INVALID_PARAM);
    player.Shutdown();
    EXPECT_EQ(FakeSoundCallNames(), (Names{"FMUSIC_FreeSong", "FSOUND_Close"}));
    EXPECT_EQ(FakeSoundCalls()[0].song, FakeSoundSong(0));
    EXPECT_EQ(player.song, FakeSoundSong(0));  // not cleared
}

TEST_F(MusicPlayerTest, PlayAndFreePassTheLibraryResultBack) {
    MusicPlayer player;
    ASSERT_TRUE(player.Load(ModulePath));
    FailNextFakeSoundCall(SoundCall::PlaySong, FMOD_ERR_PLAY);
    EXPECT_FALSE(player.Play());
    EXPECT_TRUE(player.Play());
    FailNextFakeSoundCall(SoundCall::FreeSong, FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(player.Free());
    EXPECT_TRUE(player.Free());
}

TEST_F(MusicPlayerTest, FileNameFollowsTheLastSuccessfulLoad) {
    MusicPlayer player;
    ASSERT_TRUE(player.Load("first.xm"));
    EXPECT_STREQ(player.fileName, "first.xm");
    ASSERT_TRUE(player.Load("b.xm"));  // shorter: the terminating zero is copied too
    EXPECT_STREQ(player.fileName, "b.xm");

    FailNextFakeSoundCall(SoundCall::LoadSong, FMOD_ERR_FILE_FORMAT);
    StartCapture();
    EXPECT_FALSE(player.Load("not-a-module.txt"));
    EXPECT_EQ(EndCapture(), "Unknown file format");
    EXPECT_STREQ(player.fileName, "b.xm");
    EXPECT_EQ(player.song, nullptr);  // the null result is stored
}

TEST_F(MusicPlayerTest, LongPathsAreCutAtTheFieldAndNeverOverrun) {
    struct Guarded {
        MusicPlayer player;
        char after[64];
    } guarded;
    std::memset(guarded.after, 0x5a, sizeof(guarded.after));

    const std::string exact(255, 'x');
    ASSERT_TRUE(guarded.player.Load(exact.c_str()));
    EXPECT_EQ(std::string(guarded.player.fileName), exact);

    const std::string longer = std::string(300, 'y') + ".xm";
    ASSERT_TRUE(guarded.player.Load(longer.c_str()));
    EXPECT_EQ(FakeSoundCalls().back().path, longer);  // the library gets the whole path
    EXPECT_EQ(std::string(guarded.player.fileName), longer.substr(0, 255));
    for (char c : guarded.after) ASSERT_EQ(c, 0x5a);
}

}  // namespace
