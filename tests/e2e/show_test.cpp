// The real veskop with its data, each run from a working folder of its own under an X server of
// its own: every scene of the show in its span, the music, the keys during the show, the OpenGL
// calls of the set-up, and the ways the set-up fails or goes on without sound.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "audio_analysis.h"
#include "demo/meshes/mesh_data.h"
#include "gl_trace.h"
#include "scene_checks.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

const double StartTimeout = 15.0;  // seconds, for the first frame or a window to appear
const double ExitTimeout = 15.0;

const int AudioRate = 44100;      // frames a second that the music player asks the device for
const int AudioFrameBytes = 4;    // 16-bit stereo

// The five images in slot order.
const char* const ImageFiles[] = {
    "data/startlogo2.png", "data/alphabetGeorgia.png", "data/pizza2.png",
    "data/sovepose2.png",  "data/vardlum.png",
};
const char RestartText[] = "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";

std::string Milliseconds(std::int64_t ms) {
    return std::to_string(ms) + " ms";
}

long FileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : 0;
}

class VeskopShow : public VeskopRun {};
class VeskopSetUp : public VeskopRun {};
class VeskopSetUpFailure : public VeskopRun {};

enum class Scene { Meshes, Cube, Image };

struct Moment {
    const char* name;       // of the screenshot
    std::int64_t at;        // ms after the first frame: well inside the span, near its start
    std::int64_t spanEnd;   // ms: the span's last millisecond
    Scene scene;
    const char* imageFile;  // image scenes only
};

// One moment of each span, early enough in it that a slow screenshot still falls inside. The
// meshes are taken sooner where the frames come fast (MeshFramesToWaitFor).
const Moment ShowMoments[] = {
    {"meshes", 3500, 6000, Scene::Meshes, nullptr},
    {"cube", 7500, 14500, Scene::Cube, nullptr},
    {"vardlum", 16000, 26000, Scene::Image, "data/vardlum.png"},
    {"sovepose2", 27500, 35000, Scene::Image, "data/sovepose2.png"},
    {"pizza2", 36500, 43000, Scene::Image, "data/pizza2.png"},
    {"startlogo2", 44500, 55000, Scene::Image, "data/startlogo2.png"},
};

// A machine up for a day, as the show is seen on one: each mesh frame brings the meshes about
// 0.0086 units nearer the camera.
const std::int64_t OneDayInSeconds = 24 * 60 * 60;

// Mesh frames after which the meshes are half a unit nearer the camera at a day's uptime: they
// show larger, and are still far enough from it to be judged (passing it takes about 290).
const size_t MeshFramesToWaitFor = 58;

size_t FramesWritten(const ChildProcess& veskop) {
    return ParseFrameLines(veskop.Output()).ticks.size();
}

// Waits until veskop has written `frames` frames, or one `ms` after the tick count `origin`,
// whichever comes first, and returns the last frame's tick count in *tick; false when it ended
// first or timeoutSeconds passed.
bool WaitForFramesOrShowTime(ChildProcess& veskop, std::uint32_t origin, size_t frames,
                             std::int64_t ms, double timeoutSeconds, std::uint32_t* tick) {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        bool running = veskop.Running();
        if (LastFrameTick(veskop, tick) &&
            (FramesWritten(veskop) >= frames || TicksBetween(origin, *tick) >= ms)) {
            return true;
        }
        if (!running || NowSeconds() >= deadline) return false;
        SleepSeconds(0.002);
    }
}

// Each mesh frame moves the meshes by its drift base (the tick count at the end of the set-up,
// which the first frame's is a few milliseconds past) times 1e-10 along z and 3e-12 along -x.
// A screenshot taken while frames first..last (counted from 0) were written shows one of them
// or the one before, and each of those follows one or two frames (the first may draw nothing).
MeshDrift DriftOfFramesBetween(std::uint32_t origin, size_t first, size_t last) {
    const double fewest = first >= 3 ? double(first - 3) : 0.0, most = double(last);
    return MeshDrift{fewest * origin * 1e-10, most * origin * 1e-10,  //
                     fewest * origin * 3e-12, most * origin * 3e-12};
}

TEST_F(VeskopShow, ShowsEachSceneInItsSpanAndEndsWith0After55Seconds) {
    options.clockSpeed = 4.0;                      // 55 s of show in under 14 s
    options.clockStartSeconds = OneDayInSeconds;   // the meshes drift visibly
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    double firstFrameSeen = NowSeconds();
    std::uint32_t origin = FirstFrameTick(*veskop);

    for (const Moment& moment : ShowMoments) {
        SCOPED_TRACE(moment.name);
        std::uint32_t before = 0, after = 0;
        if (moment.scene == Scene::Meshes) {
            ASSERT_TRUE(WaitForFramesOrShowTime(*veskop, origin, MeshFramesToWaitFor, moment.at,
                                                StartTimeout, &before));
        } else {
            ASSERT_TRUE(WaitForShowTime(*veskop, origin, moment.at, StartTimeout, &before));
        }
        const size_t framesBefore = FramesWritten(*veskop);
        std::string path = TestArtifactDirectory() + "/" + moment.name + ".png";
        ScreenCapture capture = server.CaptureScreen();
        const size_t framesAfter = FramesWritten(*veskop);
        ASSERT_TRUE(LastFrameTick(*veskop, &after));
        ASSERT_TRUE(capture.SaveAs(path));
        Screenshot shot = Screenshot::Read(path);
        // The picture taken is one of the frames drawn between these two.
        SCOPED_TRACE("screenshot taken between " + Milliseconds(TicksBetween(origin, before)) +
                     " and " + Milliseconds(TicksBetween(origin, after)) + " of the show");
        EXPECT_LE(TicksBetween(origin, after), moment.spanEnd) << "the screenshot took too long";
        switch (moment.scene) {
        case Scene::Meshes: {
            const MeshDrift drift = DriftOfFramesBetween(origin, framesBefore - 1, framesAfter - 1);
            SCOPED_TRACE("drifted " + std::to_string(drift.zLow) + " to " +
                         std::to_string(drift.zHigh) + " units towards the camera");
            ExpectMeshScene(shot, 0, 0, drift);
            break;
        }
        case Scene::Cube:
            ExpectCubeScene(shot, 0, 0);
            break;
        case Scene::Image:
            ExpectImageScene(path, folder.File(moment.imageFile), 0, 0);
            break;
        }
    }

    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout)) << "still running after the show";
    // Measured from the first frame's line, which comes after that frame is drawn: in a new
    // context that can take a few hundred milliseconds of show time at four times speed, and
    // so can the gap between the last frame and the one that ends it.
    double shownFor = (NowSeconds() - firstFrameSeen) * options.clockSpeed;
    EXPECT_EQ(0, veskop->ExitStatus());
    EXPECT_GE(shownFor, 53.0);
    EXPECT_LE(shownFor, 58.0) << "it should end within a frame of the show's end";

    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_TRUE(frames.otherLines.empty());
    ASSERT_GT(frames.ticks.size(), 100u);
    std::int64_t shown = TicksBetween(frames.ticks.front(), frames.ticks.back());
    EXPECT_GE(shown, 53000);
    EXPECT_LE(shown, 55250);
    EXPECT_EQ("", veskop->Errors());
}

TEST_F(VeskopShow, TheMusicSoundsFromTheFirstFrameOnAndEscapeEndsItWith27) {
    std::string recording = TestArtifactDirectory() + "/music.raw";
    RecordSoundInto(&options, recording);
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    long framesAtFirstFrame = FileSize(recording) / AudioFrameBytes;
    SleepSeconds(1.5);
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());

    StereoSamples samples = ReadRawStereo(recording);
    long onset = FirstSoundingFrame(samples);
    ASSERT_GE(onset, 0) << "the recording is silent";
    double onsetFromFirstFrame = (onset - framesAtFirstFrame) * 1000.0 / AudioRate;
    EXPECT_LT(std::fabs(onsetFromFirstFrame), 300.0)
        << "the music starts " << onsetFromFirstFrame << " ms after the first frame";
    double from = double(onset) / AudioRate;
    EXPECT_GT(WindowRms(samples, AudioRate, from, from + 1.0), 300.0) << "hardly audible";
    EXPECT_TRUE(ParseFrameLines(veskop->Output()).otherLines.empty());
    EXPECT_EQ("", WithoutDiskAudioNotice(veskop->Errors()));
}

// The first frame at or after `from` at which the recording repeats the `length` frames that
// begin at `start`, to within 1 % of their loudness; -1 when it never does. The player renders
// a song the same way each time it starts it, so a start heard again matches exactly, while
// even a neighbouring frame of it differs by some percent.
long FindRepeat(const StereoSamples& samples, long start, long length, long from) {
    const long frames = static_cast<long>(samples.size() / 2);
    if (start + length > frames) return -1;
    double budget = 0.0;
    for (long i = 2 * start; i < 2 * (start + length); i++) budget += std::abs(samples[i]);
    budget *= 0.01;
    for (long at = from; at + length <= frames; at++) {
        double difference = 0.0;
        for (long i = 0; i < 2 * length && difference <= budget; i++) {
            difference += std::abs(int(samples[2 * at + i]) - int(samples[2 * start + i]));
        }
        if (difference <= budget) return at;
    }
    return -1;
}

TEST_F(VeskopShow, F1MakesAWindowTitledQuiroAndStartsTheShowAndTheMusicOver) {
    options.clockSpeed = 4.0;
    // The tick count wraps during the run, and the meshes after the restart stay in place.
    options.clockStartSeconds = SecondsBeforeTickWrap;
    std::string recording = TestArtifactDirectory() + "/music.raw";
    RecordSoundInto(&options, recording);
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    std::uint32_t origin = FirstFrameTick(*veskop);

    std::uint32_t tick = 0;
    ASSERT_TRUE(WaitForShowTime(*veskop, origin, 8000, StartTimeout, &tick));
    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/before-F1.png"), 0, 0);

    // Shorter than the keyboard's auto-repeat delay: one toggle.
    long framesBeforeF1 = FileSize(recording) / AudioFrameBytes;
    ASSERT_TRUE(server.HoldKey("F1", 0.15));
    XWindow window = server.WaitForWindow("Quiro", StartTimeout);
    ASSERT_TRUE(window.found());
    // The new set-up's first frame carries the player's complaint about the second start.
    std::uint32_t restart = 0;
    double deadline = NowSeconds() + StartTimeout;
    while (!FindTickAfter(veskop->Output(), RestartText, &restart) && NowSeconds() < deadline) {
        SleepSeconds(0.005);
    }
    ASSERT_TRUE(FindTickAfter(veskop->Output(), RestartText, &restart)) << veskop->Output();
    long framesAtRestart = FileSize(recording) / AudioFrameBytes;

    ASSERT_TRUE(WaitForShowTime(*veskop, restart, 1500, StartTimeout, &tick));
    Screenshot shot = server.TakeScreenshot(TestArtifactDirectory() + "/after-F1.png");
    ExpectMeshScene(shot, window.x, window.y);

    ASSERT_TRUE(server.CloseWindow(window));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(0, veskop->ExitStatus());
    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.front(), frames.ticks.back()) << "the tick count did not wrap";
    EXPECT_EQ(frames.otherLines, std::vector<std::string>{RestartText});
    EXPECT_EQ("", WithoutDiskAudioNotice(veskop->Errors()));

    // The song's first tenth of a second is heard again, during the new set-up: after F1, and
    // before the new show's first frame (whose drawing in the new context can take a while).
    StereoSamples samples = ReadRawStereo(recording);
    long onset = FirstSoundingFrame(samples);
    ASSERT_GE(onset, 0) << "the recording is silent";
    long repeat = FindRepeat(samples, onset, AudioRate / 10, onset + AudioRate);
    ASSERT_GE(repeat, 0) << "the song's start is not heard again";
    EXPECT_GE(repeat, framesBeforeF1) << "heard again before F1";
    EXPECT_LE(repeat, framesAtRestart + AudioRate / 10)
        << "heard again " << (repeat - framesAtRestart) * 1000.0 / AudioRate
        << " ms after the new show's first frame";
}

TEST(VeskopShowWithout640x480, YesShowsItInA640x480Window) {
    WorkingFolder folder;
    ASSERT_TRUE(folder.ok());
    XvfbServer server(1024, 768);  // offers only 1024x768
    ASSERT_TRUE(server.ok());
    VeskopOptions options;
    options.workingDirectory = folder.path();
    options.clockSpeed = 8.0;
    auto veskop = StartVeskop(&server, options);
    XWindow question = server.WaitForWindow("KORVANTE GL", StartTimeout);
    ASSERT_TRUE(question.found()) << veskop->Errors();
    ASSERT_TRUE(server.FocusWindow(question));
    ASSERT_TRUE(server.TapKey("Return"));  // Yes
    XWindow window = server.WaitForWindow("VESKOP", StartTimeout);
    ASSERT_TRUE(window.found());
    ASSERT_EQ(640, window.width);
    ASSERT_EQ(480, window.height);

    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout));
    std::uint32_t origin = FirstFrameTick(*veskop), tick = 0;
    ASSERT_TRUE(WaitForShowTime(*veskop, origin, 16000, StartTimeout, &tick));
    std::string path = TestArtifactDirectory() + "/window.png";
    ASSERT_TRUE(server.TakeScreenshot(path).ok());
    ExpectImageScene(path, folder.File("data/vardlum.png"), window.x, window.y);

    ASSERT_TRUE(server.CloseWindow(window));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(0, veskop->ExitStatus());
}

TEST_F(VeskopShow, RunsSilentlyWithoutTheModuleOrWithoutASoundDevice) {
    WorkingFolder noModule;
    ASSERT_TRUE(noModule.ok());
    ASSERT_TRUE(noModule.Remove("data/LUMAR7.XM"));
    VeskopOptions silent;
    silent.workingDirectory = noModule.path();
    silent.logName = "no-module";
    std::string recording = noModule.File("music.raw");
    RecordSoundInto(&silent, recording);

    // The disk driver cannot open a file in a folder that does not exist: no device.
    WorkingFolder noDevice;
    ASSERT_TRUE(noDevice.ok());
    VeskopOptions deviceless;
    deviceless.workingDirectory = noDevice.path();
    deviceless.logName = "no-device";
    RecordSoundInto(&deviceless, noDevice.File("no-such-folder/music.raw"));

    auto withoutModule = StartVeskop(&server, silent);
    auto withoutDevice = StartVeskop(&server, deviceless);
    for (ChildProcess* veskop : {withoutModule.get(), withoutDevice.get()}) {
        ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    }
    SleepSeconds(1.0);
    for (ChildProcess* veskop : {withoutModule.get(), withoutDevice.get()}) {
        ASSERT_TRUE(veskop->Running()) << "the show did not go on";
        veskop->Signal(SIGTERM);  // closes it as the close box does
        ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
        EXPECT_EQ(0, veskop->ExitStatus());
    }

    FrameLines frames = ParseFrameLines(withoutModule->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_EQ(frames.otherLines, std::vector<std::string>{"File not found"});
    std::uint32_t tick = 0;  // the text has no line end of its own: the first frame's follows it
    EXPECT_TRUE(FindTickAfter(withoutModule->Output(), "File not found", &tick));
    StereoSamples samples = ReadRawStereo(recording);
    EXPECT_GT(samples.size(), size_t(AudioRate)) << "the device was not played";
    EXPECT_EQ(-1, FirstSoundingFrame(samples)) << "something was heard";
    EXPECT_EQ("", WithoutDiskAudioNotice(withoutModule->Errors()));

    frames = ParseFrameLines(withoutDevice->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_EQ(frames.otherLines, std::vector<std::string>{"Error initializing output device."});
    EXPECT_TRUE(FindTickAfter(withoutDevice->Output(), "Error initializing output device.", &tick));
}

// The module cut in half: the sound library refuses it as unreadable, the player says so with
// the library's text, and the show runs on without music.
TEST_F(VeskopShow, RunsSilentlyWithACutModuleAndSaysItCannotBeLoaded) {
    const std::string module = ReadFile(folder.File("data/LUMAR7.XM"));
    ASSERT_GT(module.size(), 1000u);
    ASSERT_TRUE(folder.Write("data/LUMAR7.XM", module.substr(0, module.size() / 2)));
    const std::string recording = folder.File("music.raw");
    RecordSoundInto(&options, recording);
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    SleepSeconds(1.0);
    ASSERT_TRUE(veskop->Running()) << "the show did not go on";
    veskop->Signal(SIGTERM);
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(0, veskop->ExitStatus());

    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_EQ(frames.otherLines, std::vector<std::string>{"Error loading file"});
    std::uint32_t tick = 0;
    EXPECT_TRUE(FindTickAfter(veskop->Output(), "Error loading file", &tick));
    StereoSamples samples = ReadRawStereo(recording);
    EXPECT_GT(samples.size(), size_t(AudioRate)) << "the device was not played";
    EXPECT_EQ(-1, FirstSoundingFrame(samples)) << "something was heard";
    EXPECT_EQ("", WithoutDiskAudioNotice(veskop->Errors()));
}

// A run that is expected to end during its set-up.
struct EndedRun {
    int status = -1;
    double seconds = 0.0;  // from start to exit
    std::string output, errors;
};

// A failed image load names the file on standard error, then shows that text in a box captioned
// "ERROR", which the stand-in also writes to standard error.
std::string ImageFailureErrors(const std::string& line) {
    return line + "\n" + "ERROR: " + line + "\n";
}

// Runs them side by side on server, answering each "ERROR" box with Return as it comes up.
std::vector<EndedRun> RunAllToTheirEnd(const XvfbServer& server,
                                       const std::vector<VeskopOptions>& runs) {
    std::vector<std::unique_ptr<ChildProcess>> started;
    double start = NowSeconds();
    for (const VeskopOptions& options : runs) started.push_back(StartVeskop(&server, options));
    std::vector<EndedRun> ended(runs.size());
    std::vector<bool> done(runs.size(), false);
    size_t running = runs.size();
    while (running > 0 && NowSeconds() < start + ExitTimeout) {
        for (size_t i = 0; i < started.size(); i++) {
            if (done[i] || started[i]->Running()) continue;
            started[i]->WaitForExit(0.0);
            ended[i].status = started[i]->ExitStatus();
            ended[i].seconds = NowSeconds() - start;
            done[i] = true;
            running--;
        }
        XWindow box = server.FindWindow("ERROR");
        if (box.found()) server.AnswerBox(box, "Return");
        SleepSeconds(0.02);
    }
    for (size_t i = 0; i < started.size(); i++) {
        ended[i].output = started[i]->Output();
        ended[i].errors = started[i]->Errors();
    }
    return ended;
}

std::string ScreenGeometry(const XvfbServer& server) {
    std::string info = server.Run({"xwininfo", "-root"}).output;
    size_t at = info.find("-geometry ");
    return at == std::string::npos ? "" : info.substr(at, info.find('\n', at) - at);
}

TEST_F(VeskopSetUpFailure, WithoutADataFolderItSaysWhereToStartItAndEndsWith1) {
    WorkingFolder empty(WorkingFolder::Empty);
    ASSERT_TRUE(empty.ok());
    options.workingDirectory = empty.path();
    std::string screenBefore = ScreenGeometry(server);
    double start = NowSeconds();
    auto veskop = StartVeskop(&server, options);
    XWindow box = server.WaitForWindow("ERROR", StartTimeout);
    ASSERT_TRUE(box.found()) << veskop->Errors();
    EXPECT_LT(NowSeconds() - start, 5.0);
    // By the time the box is up, the fullscreen window is gone and the screen is as it was.
    EXPECT_FALSE(server.FindWindow("VESKOP").found());
    EXPECT_EQ(screenBefore, ScreenGeometry(server));
    EXPECT_LE(box.width, 640) << "the text is not wrapped to the screen";
    server.TakeScreenshot(TestArtifactDirectory() + "/box.png");
    ASSERT_TRUE(server.AnswerBox(box, "Return"));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));

    EXPECT_EQ(1, veskop->ExitStatus());
    EXPECT_EQ(ImageFailureErrors("veskop: cannot load data/startlogo2.png: there is no data folder "
                                 "in the working directory; start veskop from the folder that "
                                 "holds data/"),
              veskop->Errors());
    EXPECT_EQ("", veskop->Output()) << "no frame, no music";
}

// With the box up the window is gone and the desktop mode back: nothing is left to restore, so a
// service manager's single stop (or `timeout`) ends the program at once, the signal's way.
TEST_F(VeskopSetUpFailure, OneSignalWhileTheBoxIsUpEndsIt) {
    WorkingFolder empty(WorkingFolder::Empty);
    ASSERT_TRUE(empty.ok());
    options.workingDirectory = empty.path();
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(server.WaitForWindow("ERROR", StartTimeout).found()) << veskop->Errors();
    veskop->Signal(SIGTERM);
    ASSERT_TRUE(veskop->WaitForExit(5.0)) << "still waiting in its box after one SIGTERM";
    EXPECT_EQ(128 + SIGTERM, veskop->ExitStatus());
}

TEST_F(VeskopSetUpFailure, EachMissingImageIsNamedAndEndsItWith1) {
    std::vector<std::unique_ptr<WorkingFolder>> folders;
    std::vector<VeskopOptions> runs;
    for (int slot = 0; slot < 5; slot++) {
        folders.push_back(std::make_unique<WorkingFolder>());
        ASSERT_TRUE(folders.back()->ok());
        ASSERT_TRUE(folders.back()->Remove(ImageFiles[slot]));
        VeskopOptions options;
        options.workingDirectory = folders.back()->path();
        options.logName = "slot" + std::to_string(slot);
        runs.push_back(options);
    }
    std::vector<EndedRun> ended = RunAllToTheirEnd(server, runs);
    for (int slot = 0; slot < 5; slot++) {
        SCOPED_TRACE(ImageFiles[slot]);
        EXPECT_EQ(1, ended[slot].status);
        EXPECT_EQ(ImageFailureErrors(std::string("veskop: cannot load ") + ImageFiles[slot] +
                                     ": the file is missing"),
                  ended[slot].errors);
        EXPECT_EQ("", ended[slot].output);
    }
}

TEST_F(VeskopSetUpFailure, AFileThatIsNotAPngACorruptPngAndAFifoAreNamedWithTheReason) {
    WorkingFolder notPng, corrupt, fifo;
    ASSERT_TRUE(notPng.ok() && corrupt.ok() && fifo.ok());
    ASSERT_TRUE(notPng.Write("data/pizza2.png", "a slice of pizza, in words\n"));
    // Opening a FIFO waits for a writer: one that nothing writes to must not hang the start.
    ASSERT_TRUE(fifo.Remove("data/pizza2.png"));
    ASSERT_EQ(0, mkfifo(fifo.File("data/pizza2.png").c_str(), 0600));
    // One byte changed in the middle of the image data: its chunk's checksum no longer holds.
    std::string bytes = ReadFile(corrupt.File("data/sovepose2.png"));
    ASSERT_GT(bytes.size(), 1000u);
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5A);
    ASSERT_TRUE(corrupt.Write("data/sovepose2.png", bytes));

    VeskopOptions first, second;
    first.workingDirectory = notPng.path();
    first.logName = "not-a-png";
    second.workingDirectory = corrupt.path();
    second.logName = "corrupt";
    VeskopOptions third;
    third.workingDirectory = fifo.path();
    third.logName = "fifo";
    std::vector<EndedRun> ended = RunAllToTheirEnd(server, {first, second, third});

    EXPECT_EQ(1, ended[0].status);
    // The decoder is never started on it, so it has nothing to say.
    EXPECT_EQ(ImageFailureErrors("veskop: cannot load data/pizza2.png: the file is not a PNG image"),
              ended[0].errors);
    EXPECT_EQ(1, ended[1].status);
    const std::string lines =
        ImageFailureErrors("veskop: cannot load data/sovepose2.png: the PNG image cannot be decoded");
    const std::string& errors = ended[1].errors;
    EXPECT_EQ(0u, errors.find("libpng error: ")) << errors;  // the decoder's own text first
    ASSERT_GE(errors.size(), lines.size());
    EXPECT_EQ(lines, errors.substr(errors.size() - lines.size())) << errors;
    std::istringstream decoderLines(errors.substr(0, errors.size() - lines.size()));
    for (std::string text; std::getline(decoderLines, text);) {
        EXPECT_EQ(0u, text.find("libpng ")) << "not the decoder's: " << text;
    }
    EXPECT_EQ(1, ended[2].status);
    EXPECT_EQ(ImageFailureErrors("veskop: cannot load data/pizza2.png: it is not a regular file"),
              ended[2].errors);
    for (const EndedRun& run : ended) EXPECT_EQ("", run.output);
}

// What the first level of a texture made from a PNG file should be: each side stretched to a
// power of two, RGBA where the file has alpha (an alpha channel or a transparency chunk).
struct TextureUpload {
    unsigned width = 0, height = 0;
    std::string format;  // "GL_RGB", "GL_RGBA"
    bool operator==(const TextureUpload& other) const {
        return width == other.width && height == other.height && format == other.format;
    }
};

std::ostream& operator<<(std::ostream& out, const TextureUpload& upload) {
    return out << upload.width << "x" << upload.height << " " << upload.format;
}

unsigned BigEndian32(const std::string& bytes, size_t at) {
    return (unsigned(std::uint8_t(bytes[at])) << 24) | (unsigned(std::uint8_t(bytes[at + 1])) << 16) |
           (unsigned(std::uint8_t(bytes[at + 2])) << 8) | unsigned(std::uint8_t(bytes[at + 3]));
}

TextureUpload ExpectedUpload(const std::string& pngPath) {
    std::string bytes = ReadFile(pngPath);
    TextureUpload upload;
    if (bytes.size() < 33) return upload;
    auto powerOfTwo = [](unsigned n) {
        unsigned p = 1;
        while (p < n) p <<= 1;
        return p;
    };
    upload.width = powerOfTwo(BigEndian32(bytes, 16));
    upload.height = powerOfTwo(BigEndian32(bytes, 20));
    int colourType = std::uint8_t(bytes[25]);
    bool alpha = colourType == 4 || colourType == 6;
    for (size_t at = 8; at + 8 <= bytes.size(); at += 12 + BigEndian32(bytes, at)) {
        if (bytes.compare(at + 4, 4, "tRNS") == 0) alpha = true;
        if (bytes.compare(at + 4, 4, "IDAT") == 0) break;
    }
    upload.format = alpha ? "GL_RGBA" : "GL_RGB";
    return upload;
}

// The textures a traced set-up made, in the order it made them.
struct TracedTexture {
    std::string name;          // as glGenTextures returned it
    bool filtersSet = false;   // linear magnification, trilinear minification, while bound
    bool uploaded = false;     // a level 0 image went to it
    TextureUpload level0;
    size_t lastCall = 0;       // index of the last call of its loading
};

std::vector<TracedTexture> TexturesMade(const std::vector<GLCall>& calls, size_t end) {
    std::vector<TracedTexture> textures;
    std::string bound;
    int filters = 0;
    for (size_t i = 0; i < end; i++) {
        const GLCall& call = calls[i];
        if (call.name == "glGenTextures") {
            TracedTexture texture;
            texture.name = CallArgument(call, "textures").substr(1);  // "&3"
            texture.lastCall = i;
            textures.push_back(texture);
            filters = 0;
        } else if (textures.empty()) {
            continue;
        } else if (call.name == "glBindTexture") {
            bound = CallArgument(call, "texture");
        } else if (bound != textures.back().name) {
            continue;
        } else if (call.name == "glTexParameteri") {
            std::string filter = CallArgument(call, "pname") + "=" + CallArgument(call, "param");
            if (filter == "GL_TEXTURE_MAG_FILTER=GL_LINEAR") filters |= 1;
            if (filter == "GL_TEXTURE_MIN_FILTER=GL_LINEAR_MIPMAP_LINEAR") filters |= 2;
            textures.back().filtersSet = filters == 3;
            textures.back().lastCall = i;
        } else if (call.name == "glGetIntegerv" || call.name == "glPushClientAttrib" ||
                   call.name == "glPixelStorei" || call.name == "glPopClientAttrib") {
            textures.back().lastCall = i;  // the loader's own, around the uploads
        } else if (call.name == "glTexImage2D") {
            textures.back().lastCall = i;
            if (CallArgument(call, "level") != "0") continue;
            textures.back().uploaded = true;
            textures.back().level0.width = unsigned(std::stoul(CallArgument(call, "width")));
            textures.back().level0.height = unsigned(std::stoul(CallArgument(call, "height")));
            textures.back().level0.format = CallArgument(call, "format");
        }
    }
    return textures;
}

// A display list compiled by the set-up: glGenLists, glNewList(GL_COMPILE) ... glEndList.
struct CompiledList {
    std::string name;
    int vertices = 0;
    int materialCalls = 0;
};

// The lists compiled one after another from calls[*next] on; *next ends past the last one.
std::vector<CompiledList> ListsCompiledFrom(const std::vector<GLCall>& calls, size_t* next) {
    std::vector<CompiledList> lists;
    size_t i = *next;
    while (i + 1 < calls.size() && calls[i].name == "glGenLists" &&
           calls[i + 1].name == "glNewList" && CallArgument(calls[i + 1], "mode") == "GL_COMPILE") {
        CompiledList list;
        list.name = calls[i].text.substr(calls[i].text.rfind(" = ") + 3);  // the result
        if (CallArgument(calls[i + 1], "list") != list.name) break;
        for (i += 2; i < calls.size() && calls[i].name != "glEndList"; i++) {
            if (calls[i].name == "glVertex3f") list.vertices++;
            if (calls[i].name == "glMaterialfv" || calls[i].name == "glMaterialf") {
                list.materialCalls++;
            }
        }
        if (i == calls.size()) break;
        lists.push_back(list);
        *next = ++i;
    }
    return lists;
}

size_t FirstCallNamed(const std::vector<GLCall>& calls, const std::string& name) {
    for (size_t i = 0; i < calls.size(); i++) {
        if (calls[i].name == name) return i;
    }
    return calls.size();
}

TEST_F(VeskopSetUp, MakesTheTexturesThenTheListsThenSetsTheFixedStateBeforeTheFirstFrame) {
    options.traceFile = folder.File("veskop.trace");
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    // Closed as a user closes it: a signal would reach apitrace, which runs veskop as its child.
    ASSERT_TRUE(server.CloseWindow(server.WaitForWindow("VESKOP", StartTimeout)));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    std::string problem;
    std::vector<GLCall> calls = ReadGLTrace(options.traceFile, &problem);
    ASSERT_FALSE(calls.empty()) << problem;

    size_t firstFrame = FirstCallNamed(calls, "glClear");
    ASSERT_LT(firstFrame, calls.size()) << "no frame was drawn";
    std::vector<TracedTexture> textures = TexturesMade(calls, firstFrame);
    ASSERT_EQ(5u, textures.size());
    for (int slot = 0; slot < 5; slot++) {
        SCOPED_TRACE(ImageFiles[slot]);
        EXPECT_TRUE(textures[slot].filtersSet);
        EXPECT_TRUE(textures[slot].uploaded);
        EXPECT_EQ(ExpectedUpload(folder.File(ImageFiles[slot])), textures[slot].level0);
        for (int other = 0; other < slot; other++) EXPECT_NE(textures[other].name, textures[slot].name);
    }

    // Right after the last texture: the three mesh lists, compiled in the order A, B, C.
    size_t next = textures.back().lastCall + 1;
    std::vector<CompiledList> lists = ListsCompiledFrom(calls, &next);
    ASSERT_EQ(3u, lists.size());
    const int corners[3] = {3 * MeshATriangleCount, 3 * MeshBTriangleCount, 3 * MeshCTriangleCount};
    for (int mesh = 0; mesh < 3; mesh++) {
        SCOPED_TRACE("list " + std::to_string(mesh));
        EXPECT_EQ(corners[mesh], lists[mesh].vertices);
        EXPECT_EQ(mesh == 0 ? 5 : 0, lists[mesh].materialCalls) << "only mesh A has a material";
        for (int other = 0; other < mesh; other++) EXPECT_NE(lists[other].name, lists[mesh].name);
    }

    // Then, last before the first frame: the fixed state.
    const std::string letterSheet = textures[1].name;
    const std::vector<std::string> fixedState = {
        "glShadeModel(mode = GL_SMOOTH)",
        "glClearColor(red = 0, green = 0, blue = 0, alpha = 1)",
        "glClearDepth(depth = 1)",
        "glEnable(cap = GL_DEPTH_TEST)",
        "glDepthFunc(func = GL_LEQUAL)",
        "glHint(target = GL_PERSPECTIVE_CORRECTION_HINT, mode = GL_NICEST)",
        "glEnable(cap = GL_TEXTURE_2D)",
        "glBindTexture(target = GL_TEXTURE_2D, texture = " + letterSheet + ")",
        "glEnable(cap = GL_BLEND)",
        "glBlendFunc(sfactor = GL_SRC_ALPHA, dfactor = GL_ONE)",
        "glMaterialfv(face = GL_FRONT, pname = GL_SPECULAR, params = {1, 1, 1, 1})",
        "glMaterialfv(face = GL_FRONT, pname = GL_SHININESS, params = &50)",
        "glMaterialfv(face = GL_FRONT, pname = GL_DIFFUSE, params = {1, 0, 1, 1})",
        "glLightfv(light = GL_LIGHT0, pname = GL_POSITION, params = {5, 5, 8, 1})",
        "glEnable(cap = GL_LIGHTING)",
        "glEnable(cap = GL_LIGHT0)",
        "glEnable(cap = GL_NORMALIZE)",
    };
    std::vector<std::string> afterLists;
    for (size_t i = next; i < firstFrame; i++) afterLists.push_back(calls[i].text);
    EXPECT_EQ(fixedState, afterLists);
}

TEST_F(VeskopSetUpFailure, WithTheLastImageMissingFourTexturesAreMadeAndNothingElse) {
    ASSERT_TRUE(folder.Remove("data/vardlum.png"));
    options.traceFile = folder.File("veskop.trace");
    EndedRun run = RunAllToTheirEnd(server, {options})[0];
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos,
              run.errors.find("veskop: cannot load data/vardlum.png: the file is missing\n"))
        << run.errors;

    std::string problem;
    std::vector<GLCall> calls = ReadGLTrace(options.traceFile, &problem);
    ASSERT_FALSE(calls.empty()) << problem;
    std::vector<TracedTexture> textures = TexturesMade(calls, calls.size());
    // The fifth slot's texture object is made before its file is opened, and stays empty.
    ASSERT_EQ(5u, textures.size());
    for (int slot = 0; slot < 4; slot++) {
        SCOPED_TRACE(ImageFiles[slot]);
        EXPECT_TRUE(textures[slot].uploaded);
        EXPECT_EQ(ExpectedUpload(folder.File(ImageFiles[slot])), textures[slot].level0);
    }
    EXPECT_FALSE(textures[4].uploaded);
    for (const char* later : {"glNewList", "glShadeModel", "glClear"}) {
        EXPECT_EQ(calls.size(), FirstCallNamed(calls, later)) << later << " after a failed load";
    }
}

}  // namespace
