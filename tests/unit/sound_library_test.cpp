// The sound library's seven calls, through SDL's audio drivers: "dummy" where only the results
// matter, "disk" to hear what reaches the output.
#include <fmod.h>

#include "audio_analysis.h"
#include "fifo_swap.h"
#include "tiny_xm.h"

#include <SDL.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Rate = 44100;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

class SoundLibraryTest : public ::testing::Test {
protected:
    void TearDown() override {
        FSOUND_Close();
        for (const std::string& path : scratch) std::remove(path.c_str());
    }

    // Starts the library on SDL's silent "dummy" driver.
    void InitSilently() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(FSOUND_Init(Rate, 32, 2)) << FSOUND_GetError();
    }

    // Starts the library on the "disk" driver, which writes raw 16-bit stereo to output.
    void InitToFile() {
        output = Scratch("out.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        ASSERT_TRUE(FSOUND_Init(Rate, 32, 2)) << FSOUND_GetError();
    }

    std::string Scratch(const std::string& name) {
        scratch.push_back(ScratchPath(name));
        return scratch.back();
    }

    std::string WriteSong(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = Scratch(name);
        EXPECT_TRUE(WriteTestFile(path, bytes));
        return path;
    }

    std::vector<std::string> scratch;
    std::string output;
};

TEST_F(SoundLibraryTest, ReportsAtLeastTheVersionThePlayerNeeds) {
    EXPECT_GE(FSOUND_GetVersion(), 3.33f);
}

TEST_F(SoundLibraryTest, CallsBeforeInitAreRefused) {
    const std::string path = WriteSong("song.xm", BuildTinyXm(TinyXmSong{}));
    EXPECT_EQ(FMUSIC_LoadSong(path.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_FALSE(FMUSIC_PlaySong(nullptr));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FMUSIC_FreeSong(nullptr));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    FSOUND_Close();  // without an Init: nothing happens, the last error stays
    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundLibraryTest, InitWhileRunningFailsAndCloseAllowsAnotherStart) {
    InitSilently();
    EXPECT_FALSE(FSOUND_Init(Rate, 32, 2));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_ALREADY_INITIALIZED);
    FSOUND_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_TRUE(FSOUND_Init(Rate, 32, 2));
}

TEST_F(SoundLibraryTest, InitRefusesImpossibleSettings) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_FALSE(FSOUND_Init(0, 32, 2));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_Init(-44100, 32, 2));
    EXPECT_FALSE(FSOUND_Init(Rate, -1, 2));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(SoundLibraryTest, InitFailsWithCode3WhenNoDeviceOpens) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(FSOUND_Init(Rate, 32, 2));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INIT);

    // The disk driver cannot create its file in a directory that does not exist.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/nonexistent-veskop-dir/out.raw", 1);
    EXPECT_FALSE(FSOUND_Init(Rate, 32, 2));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INIT);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);  // nothing left half started

    const std::string path = WriteSong("song.xm", BuildTinyXm(TinyXmSong{}));
    EXPECT_EQ(FMUSIC_LoadSong(path.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    InitSilently();  // and a later start works
}

TEST_F(SoundLibraryTest, LoadSongTellsMissingForeignAndBrokenFilesApart) {
    InitSilently();
    const struct {
        std::string path;
        int code;
    } cases[] = {
        {Scratch("missing.xm"), FMOD_ERR_FILE_NOT_FOUND},
        {Scratch("no-dir") + "/song.xm", FMOD_ERR_FILE_NOT_FOUND},
        {WriteSong("empty.xm", {}), FMOD_ERR_FILE_FORMAT},
        {WriteSong("text.xm", {'n', 'o', 't', ' ', 'm', 'u', 's', 'i', 'c', '\n'}),
         FMOD_ERR_FILE_FORMAT},
        {WriteSong("image.xm", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}),
         FMOD_ERR_FILE_FORMAT},
        {::testing::TempDir(), FMOD_ERR_FILE_BAD},  // a directory
    };
    for (const auto& each : cases) {
        EXPECT_EQ(FMUSIC_LoadSong(each.path.c_str()), nullptr) << each.path;
        EXPECT_EQ(FSOUND_GetError(), each.code) << each.path;
    }

    // An XM whose order list names a pattern that is not stored: a module with nothing to play.
    std::vector<std::uint8_t> nowhere = BuildTinyXm(TinyXmSong{});
    nowhere[80] = 7;
    const std::string broken = WriteSong("nowhere.xm", nowhere);
    EXPECT_EQ(FMUSIC_LoadSong(broken.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_BAD);

    EXPECT_EQ(FMUSIC_LoadSong(nullptr), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);

    const std::string good = WriteSong("good.xm", BuildTinyXm(TinyXmSong{}));
    EXPECT_NE(FMUSIC_LoadSong(good.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);  // success leaves the last failure
}

// What cannot be read whole into memory fails with a code at once: no wait for a FIFO's writer
// (not even when the path turns into one after being checked), no allocation for a file over
// the 64 MiB limit.
TEST_F(SoundLibraryTest, LoadSongRefusesAFifoAndAFileOverTheLimit) {
    InitSilently();
    const std::string fifo = Scratch("fifo.xm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FMUSIC_LoadSong(fifo.c_str()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_BAD);
    const double longest = LongestLoadWhileSwappingInFifo(
        ScratchPath("swap-"), [](const char* path) { FMUSIC_LoadSong(path); }, 0.5);
    EXPECT_LT(longest, 0.75) << "a load waited on the FIFO";  // one that did is let go after 1 s

    const off_t limit = 64L * 1024 * 1024;
    for (off_t size : {limit, limit + 1}) {  // sparse files, holes read as zeros
        const std::string huge = WriteSong("huge.xm", {});
        ASSERT_EQ(truncate(huge.c_str(), size), 0);
        EXPECT_EQ(FMUSIC_LoadSong(huge.c_str()), nullptr) << size;
        // At the limit the file is read and is no module; past it, it is not read.
        EXPECT_EQ(FSOUND_GetError(), size == limit ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_MEMORY) << size;
    }
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(std::uint8_t(c));
        std::fclose(file);
    }
    return bytes;
}

void PutLittleEndian(std::vector<std::uint8_t>& bytes, size_t at, int width, std::uint32_t value) {
    for (int i = 0; i < width; i++) bytes[at + i] = std::uint8_t(value >> (8 * i));
}

// libopenmpt alone would load nearly all of these and play silence or a part of the song.
TEST_F(SoundLibraryTest, CutAndCorruptModulesAreRefusedAsUnreadable) {
    InitSilently();
    const std::string path = Scratch("bad.xm");
    auto codeOf = [&](const std::vector<std::uint8_t>& bytes) {
        std::remove(path.c_str());  // a new file each time: rewriting one in place can wait for the disk
        EXPECT_TRUE(WriteTestFile(path, bytes));
        if (FMUSIC_LoadSong(path.c_str()) != nullptr) return int(FMOD_ERR_NONE);
        return FSOUND_GetError();
    };

    // Two patterns, one instrument with its sample: the file header, each pattern header and its
    // data, the instrument header, the sample header and the sample data are each cut somewhere.
    TinyXmSong twoPatterns;
    twoPatterns.orders = {0, 1};
    const std::vector<std::uint8_t> song = BuildTinyXm(twoPatterns);
    for (size_t length = 1; length < song.size(); length++) {
        const std::vector<std::uint8_t> cut(song.begin(), song.begin() + long(length));
        // Until the ID text is whole, nothing says it is a module.
        ASSERT_EQ(codeOf(cut), length < 17 ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_FILE_BAD) << "cut at " << length;
    }
    // The ninth instrument's sample is the last part of the show's module.
    std::vector<std::uint8_t> module = ReadBytes(MODULE_PATH);
    ASSERT_GT(module.size(), 100000u);
    module.pop_back();
    EXPECT_EQ(codeOf(module), FMOD_ERR_FILE_BAD) << "one byte short";

    const struct {
        const char* name;
        size_t at;  // in the tiny song: patterns at 336, the instrument at 379, its sample at 642
        int width;
        std::uint32_t value;
        int code;
    } corrupt[] = {
        {"header size counted from the file's start", 60, 4, 336, FMOD_ERR_FILE_BAD},
        {"header size past the end", 60, 4, 0xfffffff0u, FMOD_ERR_FILE_BAD},
        {"header too small for its orders", 60, 4, 20, FMOD_ERR_FILE_BAD},
        {"no orders", 64, 2, 0, FMOD_ERR_FILE_BAD},
        {"257 orders", 64, 2, 257, FMOD_ERR_FILE_BAD},
        {"no channels", 68, 2, 0, FMOD_ERR_FILE_BAD},
        {"33 channels", 68, 2, 33, FMOD_ERR_FILE_BAD},
        {"257 patterns", 70, 2, 257, FMOD_ERR_FILE_BAD},
        {"65535 patterns", 70, 2, 65535, FMOD_ERR_FILE_BAD},
        {"129 instruments", 72, 2, 129, FMOD_ERR_FILE_BAD},
        {"pattern header shorter than its fields", 336, 4, 0, FMOD_ERR_FILE_BAD},
        {"pattern data past the end", 343, 2, 65535, FMOD_ERR_FILE_BAD},
        {"instrument header shorter than its fields", 379, 4, 5, FMOD_ERR_FILE_BAD},
        {"17 samples in an instrument", 406, 2, 17, FMOD_ERR_FILE_BAD},
        {"sample data past the end", 642, 4, 0x7fffffffu, FMOD_ERR_FILE_BAD},
        {"version 1.02", 58, 2, 0x0102, FMOD_ERR_VERSION},
        {"version 0", 58, 2, 0, FMOD_ERR_VERSION},
    };
    const std::vector<std::uint8_t> tiny = BuildTinyXm(TinyXmSong{});
    ASSERT_EQ(tiny[379], 7) << "the instrument moved";  // its header size, 263
    for (const auto& each : corrupt) {
        std::vector<std::uint8_t> bytes = tiny;
        PutLittleEndian(bytes, each.at, each.width, each.value);
        EXPECT_EQ(codeOf(bytes), each.code) << each.name;
    }

    // A whole image under a module's name is no module at all.
    EXPECT_EQ(codeOf(ReadBytes(IMAGE_PATH)), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(codeOf(tiny), FMOD_ERR_NONE);
}

TEST_F(SoundLibraryTest, NullFreedAndStaleHandlesAreRefused) {
    InitSilently();
    const std::string path = WriteSong("song.xm", BuildTinyXm(TinyXmSong{}));
    FMUSIC_MODULE* first = FMUSIC_LoadSong(path.c_str());
    FMUSIC_MODULE* second = FMUSIC_LoadSong(path.c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);

    EXPECT_FALSE(FMUSIC_PlaySong(nullptr));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FMUSIC_FreeSong(nullptr));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);

    EXPECT_TRUE(FMUSIC_PlaySong(first));
    EXPECT_TRUE(FMUSIC_FreeSong(first));  // while it plays
    EXPECT_FALSE(FMUSIC_FreeSong(first));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FMUSIC_PlaySong(first));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);

    // Close frees what is still loaded; its handles are dead afterwards.
    EXPECT_TRUE(FMUSIC_PlaySong(second));
    FSOUND_Close();
    EXPECT_FALSE(FMUSIC_PlaySong(second));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_FALSE(FMUSIC_FreeSong(second));
}

TEST_F(SoundLibraryTest, LeavesTheRestOfSdlRunning) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_TIMER), 0);
    InitSilently();
    FSOUND_Close();
    EXPECT_NE(SDL_WasInit(SDL_INIT_TIMER), 0u);
    SDL_QuitSubSystem(SDL_INIT_TIMER);
}

// The real-time priority of this process's thread whose name starts with prefix; -1 while there
// is none or it is not real-time.
int RealTimePriorityOfThread(const std::string& prefix) {
    DIR* tasks = opendir("/proc/self/task");
    int found = -1;
    while (dirent* entry = tasks != nullptr ? readdir(tasks) : nullptr) {
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        const pid_t thread = pid_t(std::atoi(entry->d_name));
        sched_param priority = {};
        if (std::getline(comm, name) && name.rfind(prefix, 0) == 0 &&
            sched_getscheduler(thread) == SCHED_RR && sched_getparam(thread, &priority) == 0) {
            found = priority.sched_priority;
        }
    }
    if (tasks != nullptr) closedir(tasks);
    return found;
}

// A program started under a real-time policy: the device's thread keeps the program's priority
// rather than dropping to the lowest real-time one, beneath the threads that draw the frames.
TEST_F(SoundLibraryTest, TheDeviceThreadKeepsTheRealTimePriorityOfTheProgram) {
    struct RoundRobin {
        bool granted;
        explicit RoundRobin(int level) {
            sched_param priority = {};
            priority.sched_priority = level;
            granted = pthread_setschedparam(pthread_self(), SCHED_RR, &priority) == 0;
        }
        ~RoundRobin() {
            const sched_param ordinary = {};
            pthread_setschedparam(pthread_self(), SCHED_OTHER, &ordinary);
        }
    } program(20);
    if (!program.granted) GTEST_SKIP() << "real-time scheduling is refused here";
    InitSilently();
    int seen = -1;
    const Clock::time_point start = Clock::now();
    while ((seen = RealTimePriorityOfThread("SDLAudio")) != 20 && SecondsSince(start) < 2.0) Sleep(0.01);
    EXPECT_EQ(seen, 20);
}

TEST_F(SoundLibraryTest, FreeAndCloseAreSafeAfterSdlWasShutDown) {
    InitToFile();
    const std::string path = WriteSong("song.xm", BuildTinyXm(TinyXmSong{}));
    FMUSIC_MODULE* song = FMUSIC_LoadSong(path.c_str());
    ASSERT_TRUE(FMUSIC_PlaySong(song));
    Sleep(0.05);

    SDL_Quit();  // as an exit handler would, before static destructors
    EXPECT_FALSE(FMUSIC_PlaySong(song));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_PLAY);
    EXPECT_TRUE(FMUSIC_FreeSong(song));
    FSOUND_Close();
    FSOUND_Close();
    InitSilently();  // the library starts again from scratch
}

TEST_F(SoundLibraryTest, PlaybackReachesTheDeviceWithinAFewHundredMilliseconds) {
    InitToFile();
    TinyXmSong tune;
    tune.noteEveryRow = true;
    const std::string path = WriteSong("song.xm", BuildTinyXm(tune));
    FMUSIC_MODULE* song = FMUSIC_LoadSong(path.c_str());
    ASSERT_NE(song, nullptr);
    Sleep(0.15);  // the device runs, writing silence

    // Measured on the device's own time line: how much audio the device had taken when the
    // song was started, and where in its stream the sound begins. A busy machine that delays
    // this thread or the device's cannot stretch that distance.
    const long framesBeforePlay = long(ReadRawStereo(output).size() / 2);
    const Clock::time_point played = Clock::now();
    ASSERT_TRUE(FMUSIC_PlaySong(song));
    long firstSounding = -1;
    while (firstSounding < 0 && SecondsSince(played) < 5.0) {
        firstSounding = FirstSoundingFrame(ReadRawStereo(output));
        if (firstSounding < 0) Sleep(0.005);
    }
    ASSERT_GE(firstSounding, 0) << "nothing but silence reached " << output;
    EXPECT_LT(double(firstSounding - framesBeforePlay) / Rate, 0.3);

    Sleep(1.0);
    FSOUND_Close();
    const StereoSamples samples = ReadRawStereo(output);
    const long first = FirstSoundingFrame(samples);
    ASSERT_GE(first, 0);
    const double start = double(first) / Rate;
    EXPECT_GT(WindowRms(samples, Rate, start + 0.1, start + 0.9), 1000.0);
    EXPECT_LT(LargestStep(samples), PeakSample(samples) / 6);  // no click at start or stop
}

TEST_F(SoundLibraryTest, PlayingThePlayingSongStartsItOver) {
    InitToFile();
    TinyXmSong bursts;  // one burst a second
    bursts.rows = 20;
    bursts.speed = 3;
    bursts.bpm = 150;
    bursts.sample = TinySample::ShortBurst;
    const std::string path = WriteSong("song.xm", BuildTinyXm(bursts));
    FMUSIC_MODULE* song = FMUSIC_LoadSong(path.c_str());
    ASSERT_TRUE(FMUSIC_PlaySong(song));
    Sleep(0.4);
    ASSERT_TRUE(FMUSIC_PlaySong(song));
    Sleep(1.25);
    FSOUND_Close();

    const StereoSamples samples = ReadRawStereo(output);
    const std::vector<double> onsets = Onsets(samples, Rate, 300.0);
    ASSERT_EQ(onsets.size(), 3u) << ::testing::PrintToString(onsets);
    // The restart came 0.4 s (of wall clock) after the start, not a song length later; the
    // song then runs its full second from there.
    EXPECT_GT(onsets[1] - onsets[0], 0.25);
    EXPECT_LT(onsets[1] - onsets[0], 0.7);
    EXPECT_NEAR(onsets[2] - onsets[1], 1.0, 0.02);
}

}  // namespace
