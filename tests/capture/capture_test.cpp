// veskop-capture with no display, as a user runs it: what the small capture made before these
// tests holds (its frames and clock, the scene at chosen frames, its sound against the module as
// openmpt123 renders it), a second capture decodes to the same frames, and every failure ends
// with status 1 (or the signal's) and leaves nothing behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "audio_analysis.h"
#include "child_process.h"
#include "image_compare.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

const std::string Capture = VESKOP_CAPTURE_BINARY;
const std::string SmallFolder = CAPTURE_FOLDER;
const std::string SmallVideo = SmallFolder + "/out/show.mp4";
const std::string SmallSheet = SmallFolder + "/out/sheet.png";
const std::string Module = std::string(VESKOP_SOURCE_DIR) + "/data/LUMAR7.XM";

// The small capture's settings (make_capture.cmake).
const int Fps = 10;
const int Width = 160, Height = 120;
const long SmallFrames = 551;  // 0 ms to 55000 ms at 100 ms a frame
const std::uint32_t StartTick = 3600000;

const int SoundRate = 44100;
// Sound and picture agree within one frame of the default 60 fps.
const long SoundTolerance = SoundRate / 60;

// An image scene, decoded from the video, against its file stretched to the frame: through
// nearest and trilinear scaling to 160x120 and H.264 in yuv420p it differs by up to about 0.05;
// any other image, or the right one upside down, by more than 0.3.
const double ImageTolerance = 0.1;

ChildOptions WithoutDisplay(const std::string& workingDirectory = VESKOP_SOURCE_DIR) {
    ChildOptions options;
    options.workingDirectory = workingDirectory;
    options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    return options;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
}

// ffprobe's value of one entry ("stream=nb_read_frames") of one stream ("v:0"), as text.
std::string Probe(const std::string& video, const std::string& stream, const std::string& entry) {
    CommandResult result = RunCommand({"ffprobe", "-v", "error", "-count_frames", "-select_streams",
                                       stream, "-show_entries", entry, "-of",
                                       "default=noprint_wrappers=1:nokey=1", video});
    std::string value = result.output;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    return value;
}

// Frames of the video by number, as PNGs in folder (frame-N.png).
bool DecodeFrames(const std::string& video, const std::vector<int>& frames,
                  const std::string& folder) {
    std::string select;
    for (int frame : frames) select += (select.empty() ? "" : "+") + ("eq(n\\," + std::to_string(frame) + ")");
    std::string pattern = folder + "/decoded-%d.png";
    CommandResult result = RunCommand({"ffmpeg", "-v", "error", "-y", "-i", video, "-vf",
                                       "select=" + select, "-fps_mode", "passthrough", pattern},
                                      {}, 60.0);
    if (result.status != 0) return false;
    std::vector<int> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < sorted.size(); i++) {
        std::string from = folder + "/decoded-" + std::to_string(i + 1) + ".png";
        std::string to = folder + "/frame-" + std::to_string(sorted[i]) + ".png";
        if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    }
    return true;
}

std::string FrameFile(const std::string& folder, int frame) {
    return folder + "/frame-" + std::to_string(frame) + ".png";
}

// The decoded frames' checksums, one line per frame.
std::string FrameChecksums(const std::string& video) {
    return RunCommand({"ffmpeg", "-v", "error", "-i", video, "-map", "0:v", "-f", "framemd5", "-"},
                      {}, 60.0)
        .output;
}

// The module as openmpt123 renders it, its first `seconds`, through a raw file in `folder`.
StereoSamples RenderModule(const std::string& folder, int seconds) {
    std::string path = folder + "/module.raw";
    CommandResult rendered =
        RunCommand({"sh", "-c",
                    "openmpt123 --batch --quiet --samplerate 44100 --channels 2 --no-float "
                    "--end-time " + std::to_string(seconds) + " --stdout '" + Module + "' > '" + path + "'"},
                   {}, 30.0);
    EXPECT_EQ(0, rendered.status) << rendered.errors;
    return ReadRawStereo(path);
}

StereoSamples DecodeSound(const std::string& video, const std::string& rawPath) {
    RunCommand({"ffmpeg", "-v", "error", "-y", "-i", video, "-map", "0:a", "-f", "s16le", "-ac",
                "2", "-ar", std::to_string(SoundRate), rawPath},
               {}, 60.0);
    return ReadRawStereo(rawPath);
}

double Mono(const StereoSamples& samples, long frame) {
    if (frame < 0 || 2 * frame + 1 >= static_cast<long>(samples.size())) return 0.0;
    return samples[2 * frame] + samples[2 * frame + 1];
}

// How many sample frames later `heard` has the sound that `reference` has around `at`: the lag
// in [-maxLag, maxLag] with the highest correlation over a window of windowFrames.
long BestLag(const StereoSamples& heard, const StereoSamples& reference, long at, long windowFrames,
             long maxLag) {
    long best = 0;
    double bestScore = -1e300;
    for (long lag = -maxLag; lag <= maxLag; lag++) {
        double score = 0.0;
        for (long i = 0; i < windowFrames; i++) score += Mono(reference, at + i) * Mono(heard, at + i + lag);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

// A frame of the 3D scenes: something lit in the middle, the top corners black.
void ExpectSceneInMiddle(const Screenshot& shot, const std::string& name) {
    ASSERT_TRUE(shot.ok()) << name;
    EXPECT_GT(shot.LitPixels(Width / 4, Height / 4, 3 * Width / 4, 3 * Height / 4), 100) << name;
    // Dark enough to be the cleared black after the video's encoding.
    int bright = 0;
    for (int y = 0; y < 12; y++) {
        for (int x = 0; x < 12; x++) {
            for (int corner : {0, Width - 12}) {
                auto pixel = shot.At(corner + x, y);
                if (std::max({pixel[0], pixel[1], pixel[2]}) > 24) bright++;
            }
        }
    }
    EXPECT_EQ(0, bright) << name << ": the top corners are not black";
}

// The cube is one solid shape at the centre; the meshes are three thin ones, so the centre of
// the mesh scene is mostly black.
int LitAtCentre(const Screenshot& shot) {
    int lit = 0;
    for (int y = Height / 2 - 10; y < Height / 2 + 10; y++) {
        for (int x = Width / 2 - 10; x < Width / 2 + 10; x++) {
            auto pixel = shot.At(x, y);
            if (std::max({pixel[0], pixel[1], pixel[2]}) > 24) lit++;
        }
    }
    return lit;
}

void ExpectImage(const std::string& folder, int frame, const std::string& image) {
    std::string reference = folder + "/expected-" + std::to_string(frame) + ".png";
    ASSERT_TRUE(MakeScreenReference(std::string(VESKOP_SOURCE_DIR) + "/" + image, Width, Height,
                                    reference));
    double difference = ImageDifference(FrameFile(folder, frame), reference);
    EXPECT_GE(difference, 0.0);
    EXPECT_LT(difference, ImageTolerance) << "frame " << frame << " does not show " << image;
}

TEST(SmallCapture, HoldsEveryFrameOfTheShowOnItsClock) {
    EXPECT_EQ("sheet.png show.mp4", Joined(FilesIn(SmallFolder + "/out")))
        << "temporary files are left";
    EXPECT_EQ("h264", Probe(SmallVideo, "v:0", "stream=codec_name"));
    EXPECT_EQ("yuv420p", Probe(SmallVideo, "v:0", "stream=pix_fmt"));
    // The frames are sRGB, converted with the BT.601 matrix to limited range, as the stream says.
    EXPECT_EQ("bt709", Probe(SmallVideo, "v:0", "stream=color_primaries"));
    EXPECT_EQ("iec61966-2-1", Probe(SmallVideo, "v:0", "stream=color_transfer"));
    EXPECT_EQ("smpte170m", Probe(SmallVideo, "v:0", "stream=color_space"));
    EXPECT_EQ("tv", Probe(SmallVideo, "v:0", "stream=color_range"));
    EXPECT_EQ("160", Probe(SmallVideo, "v:0", "stream=width"));
    EXPECT_EQ("120", Probe(SmallVideo, "v:0", "stream=height"));
    EXPECT_EQ(std::to_string(SmallFrames), Probe(SmallVideo, "v:0", "stream=nb_read_frames"));
    EXPECT_EQ("aac", Probe(SmallVideo, "a:0", "stream=codec_name"));
    EXPECT_EQ(std::to_string(SoundRate), Probe(SmallVideo, "a:0", "stream=sample_rate"));
    EXPECT_NEAR(55.1, std::stod("0" + Probe(SmallVideo, "v:0", "format=duration")), 0.01);

    // Each frame's tick count, as the show wrote it: an hour of uptime plus 100 ms a frame.
    FrameLines frames = ParseFrameLines(ReadFile(SmallFolder + "/capture.stdout"));
    EXPECT_EQ("", frames.problem);
    ASSERT_EQ(static_cast<size_t>(SmallFrames), frames.ticks.size());
    for (size_t i = 0; i < frames.ticks.size(); i++) {
        ASSERT_EQ(StartTick + 100 * i, frames.ticks[i]) << "frame " << i;
    }
}

TEST(SmallCapture, ShowsEachSceneInItsSpan) {
    std::string folder = TestArtifactDirectory();
    // Either side of every scene change (6000, 14500, 26000, 35000, 43000 ms), the first frame
    // and the last.
    const std::vector<int> frames = {0, 30, 60, 61, 145, 146, 260, 261, 350, 351, 430, 431, 550};
    ASSERT_TRUE(DecodeFrames(SmallVideo, frames, folder));

    Screenshot first = Screenshot::Read(FrameFile(folder, 0));
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(0, first.LitPixels(0, 0, Width, Height)) << "frame 0, at 0 ms, is cleared only";
    for (int frame : {30, 60, 61, 145}) {
        ExpectSceneInMiddle(Screenshot::Read(FrameFile(folder, frame)), "frame " + std::to_string(frame));
    }
    for (int frame : {30, 60}) {
        EXPECT_LT(LitAtCentre(Screenshot::Read(FrameFile(folder, frame))), 200)
            << "frame " << frame << " is not the mesh scene";
    }
    for (int frame : {61, 145}) {
        EXPECT_EQ(400, LitAtCentre(Screenshot::Read(FrameFile(folder, frame))))
            << "frame " << frame << " is not the cube scene";
    }
    ExpectImage(folder, 146, "data/vardlum.png");
    ExpectImage(folder, 260, "data/vardlum.png");
    ExpectImage(folder, 261, "data/sovepose2.png");
    ExpectImage(folder, 350, "data/sovepose2.png");
    ExpectImage(folder, 351, "data/pizza2.png");
    ExpectImage(folder, 430, "data/pizza2.png");
    ExpectImage(folder, 431, "data/startlogo2.png");
    ExpectImage(folder, 550, "data/startlogo2.png");

    // The contact sheet: 11 x 5 tiles of 160x120 with 4-pixel gaps, 1 s to 55 s; the tile of
    // 20 s, above its time stamp, is the lake.
    Screenshot sheet = Screenshot::Read(SmallSheet);
    ASSERT_TRUE(sheet.ok());
    EXPECT_EQ(4 + 11 * (Width + 4), sheet.width);
    EXPECT_EQ(4 + 5 * (Height + 4), sheet.height);
    const int tile = 19, stampHeight = 18;
    std::string tilePart = folder + "/sheet-20s.png", expectedPart = folder + "/expected-20s.png";
    std::string expected = folder + "/expected-lake.png";
    ASSERT_TRUE(CropImage(SmallSheet, 4 + tile % 11 * (Width + 4), 4 + tile / 11 * (Height + 4),
                          Width, Height - stampHeight, tilePart));
    ASSERT_TRUE(MakeScreenReference(std::string(VESKOP_SOURCE_DIR) + "/data/vardlum.png", Width,
                                    Height, expected));
    ASSERT_TRUE(CropImage(expected, 0, 0, Width, Height - stampHeight, expectedPart));
    EXPECT_LT(ImageDifference(tilePart, expectedPart), ImageTolerance);
}

TEST(SmallCapture, SoundIsInStepWithThePicture) {
    std::string folder = TestArtifactDirectory();
    StereoSamples heard = DecodeSound(SmallVideo, folder + "/capture.raw");
    ASSERT_GE(heard.size(), static_cast<size_t>(2 * 55 * SoundRate));
    StereoSamples reference = RenderModule(folder, 16);
    ASSERT_GE(reference.size(), static_cast<size_t>(2 * 15 * SoundRate));

    // Around the changes from the meshes to the cube (frame 60 to 61) and from the cube to the
    // lake (145 to 146): an eighth of a second either side, searched one frame of the capture
    // (100 ms) either way.
    for (double seconds : {6.0, 14.5}) {
        long at = std::lround((seconds - 0.125) * SoundRate);
        long lag = BestLag(heard, reference, at, SoundRate / 4, SoundRate / Fps);
        EXPECT_LE(std::labs(lag), SoundTolerance)
            << "at " << seconds << " s the capture's sound is " << lag << " samples off";
    }
}

// At 24 fps a frame is 41 2/3 ms and 1837.5 samples: the tick count rounds down frame by frame
// and the sound's frames alternate in length, yet neither drifts from the show's own clock.
TEST(CaptureAt24Fps, KeepsTheShowsClockInPictureAndSound) {
    const std::string video = std::string(CAPTURE_24_FOLDER) + "/out/show.mp4";
    const long frames = 1321;  // 0 ms to 55000 ms
    EXPECT_EQ(std::to_string(frames), Probe(video, "v:0", "stream=nb_read_frames"));
    std::istringstream times(Probe(video, "v:0", "frame=pts_time"));
    std::string time, last;
    while (std::getline(times, time)) last = time;
    EXPECT_NEAR(55.0, std::stod("0" + last), 1e-6) << "the last frame's time";
    // The sound lasts as long as the frames, each frame's share rounded so that none is lost.
    EXPECT_NEAR(frames / 24.0, std::stod("0" + Probe(video, "a:0", "stream=duration")), 0.001);
    FrameLines lines = ParseFrameLines(ReadFile(std::string(CAPTURE_24_FOLDER) + "/capture.stdout"));
    ASSERT_EQ(static_cast<size_t>(frames), lines.ticks.size());
    for (size_t i = 0; i < lines.ticks.size(); i++) {
        ASSERT_EQ(StartTick + 1000 * i / 24, lines.ticks[i]) << "frame " << i;
    }

    std::string folder = TestArtifactDirectory();
    StereoSamples heard = DecodeSound(video, folder + "/capture.raw");
    StereoSamples reference = RenderModule(folder, 56);
    ASSERT_GE(reference.size(), static_cast<size_t>(2 * 55 * SoundRate));
    // Where a lag of rounding would have grown, at the scene changes up to near the end: within a
    // millisecond of the module, searched a frame either way.
    for (double seconds : {6.0, 26.0, 43.0, 54.0}) {
        long at = std::lround((seconds - 0.125) * SoundRate);
        long lag = BestLag(heard, reference, at, SoundRate / 4, SoundRate / 24);
        EXPECT_LE(std::labs(lag), SoundRate / 1000)
            << "at " << seconds << " s the capture's sound is " << lag << " samples off";
    }
}

TEST(SmallCapture, ASecondCaptureDecodesToTheSameFrames) {
    std::string folder = MakeTemporaryDirectory("veskop-capture-again-");
    ASSERT_FALSE(folder.empty());
    std::string again = folder + "/again.mp4";
    CommandResult result = RunCommand(
        {Capture, again, "--fps", std::to_string(Fps), "--size", "160x120"}, WithoutDisplay(), 120.0);
    ASSERT_EQ(0, result.status) << result.errors;
    std::string first = FrameChecksums(SmallVideo);
    EXPECT_NE("", first);
    EXPECT_EQ(first, FrameChecksums(again));
    std::filesystem::remove_all(folder);
}

// Short captures (one frame a second, 16x16) into a folder of their own.
class CaptureOutputs : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.empty()); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    CommandResult Run(const std::vector<std::string>& outputs) {
        std::vector<std::string> argv = {Capture, "--fps", "1", "--size", "16x16"};
        argv.insert(argv.end(), outputs.begin(), outputs.end());
        return RunCommand(argv, WithoutDisplay(), 60.0);
    }
    std::string folder = MakeTemporaryDirectory("veskop-capture-outputs-");
};

// The longest name a folder takes (255 bytes), for the video and the sheet alike: the
// temporaries beside them have short names of their own.
TEST_F(CaptureOutputs, AnyNameTheFileSystemTakes) {
    const std::string video = std::string(251, 'v') + ".mp4", sheet = std::string(251, 's') + ".png";
    CommandResult result = Run({folder + "/" + video, "--sheet", folder + "/" + sheet});
    EXPECT_EQ(0, result.status) << result.errors;
    EXPECT_EQ(sheet + " " + video, Joined(FilesIn(folder)));
}

// Started with standard streams closed, the capture writes exactly what it writes with them
// open (the show's lines, meant for the closed output, go nowhere).
TEST_F(CaptureOutputs, ClosedStandardStreamsChangeNothing) {
    ASSERT_EQ(0, Run({folder + "/open.mp4"}).status);
    const std::string expected = ReadFile(folder + "/open.mp4");
    ASSERT_NE("", expected);
    for (const char* closing : {">&-", "<&- 2>&-"}) {
        const std::string video = folder + "/closed.mp4";
        CommandResult result = RunCommand(
            {"sh", "-c", std::string("exec \"$0\" \"$@\" ") + closing, Capture, video, "--fps", "1",
             "--size", "16x16"},
            WithoutDisplay(), 60.0);
        EXPECT_EQ(0, result.status) << closing << ": " << result.errors;
        EXPECT_TRUE(ReadFile(video) == expected) << "the video differs with " << closing;
    }
}

// A failure: status 1, a message that names the problem, and nothing left in `folder`.
void ExpectFailure(const CommandResult& result, const std::string& text, const std::string& folder) {
    EXPECT_EQ(1, result.status) << result.errors;
    EXPECT_NE(std::string::npos, result.errors.find(text)) << result.errors;
    EXPECT_EQ("", Joined(FilesIn(folder))) << "left behind";
}

class CaptureFailure : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.empty()); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder = MakeTemporaryDirectory("veskop-capture-failure-");
};

TEST_F(CaptureFailure, BadCommandLinesAndUnwritablePaths) {
    ExpectFailure(RunCommand({Capture, folder + "/v.mp4", "--size", "161x120"}, WithoutDisplay()),
                  "--size takes", folder);
    ExpectFailure(RunCommand({Capture}, WithoutDisplay()), "no output", folder);
    ExpectFailure(RunCommand({Capture, folder + "/missing/v.mp4"}, WithoutDisplay()),
                  "cannot write " + folder + "/missing/v.mp4: No such file or directory", folder);
    ExpectFailure(RunCommand({Capture, "--sheet", folder}, WithoutDisplay()), "is a folder", folder);
    // One file under two spellings would leave only the one written last.
    ExpectFailure(RunCommand({Capture, folder + "/same.png", "--sheet", folder + "/./same.png"},
                             WithoutDisplay()),
                  "need paths of their own", folder);
    // A name longer than the file system takes is the output's own fault, said at once.
    const std::string tooLong = folder + "/" + std::string(252, 'v') + ".mp4";
    ExpectFailure(RunCommand({Capture, tooLong}, WithoutDisplay()),
                  "cannot write " + tooLong + ": File name too long", folder);
}

// Only a regular file is ever replaced: a FIFO (as a device would) stays what it is.
TEST_F(CaptureFailure, AnOutputThatIsNotARegularFile) {
    const std::string fifo = folder + "/out.fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    CommandResult result =
        RunCommand({Capture, fifo, "--fps", "1", "--size", "16x16"}, WithoutDisplay(), 60.0);
    EXPECT_EQ(1, result.status);
    EXPECT_NE(std::string::npos, result.errors.find("cannot write " + fifo + ": it is not a regular file"))
        << result.errors;
    struct stat info;
    ASSERT_EQ(0, stat(fifo.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO was replaced";
    EXPECT_EQ("out.fifo", Joined(FilesIn(folder)));
}

TEST_F(CaptureFailure, NoEncoder) {
    ChildOptions options = WithoutDisplay();
    options.environment = {{"PATH", folder + "/bin"}};
    ExpectFailure(RunCommand({Capture, folder + "/v.mp4"}, options), "ffmpeg", folder);
}

TEST_F(CaptureFailure, AnEncoderThatStops) {
    std::string bin = MakeTemporaryDirectory("veskop-capture-bin-");
    std::string fake = bin + "/ffmpeg";
    std::FILE* script = std::fopen(fake.c_str(), "w");
    ASSERT_NE(nullptr, script);
    std::fputs("#!/bin/sh\necho 'Unknown encoder' >&2\nexit 1\n", script);
    std::fclose(script);
    chmod(fake.c_str(), 0755);
    ChildOptions options = WithoutDisplay();
    options.environment = {{"PATH", bin + ":/usr/bin:/bin"}};
    ExpectFailure(RunCommand({Capture, folder + "/v.mp4", "--size", "160x120"}, options, 60.0),
                  "encoder (ffmpeg) stopped", folder);  // the video's or the sound's, whichever is first
    std::filesystem::remove_all(bin);
}

TEST_F(CaptureFailure, TheShowsDataMissing) {
    WorkingFolder data;
    ASSERT_TRUE(data.ok());
    ASSERT_TRUE(data.Remove("data/LUMAR7.XM"));
    ExpectFailure(RunCommand({Capture, folder + "/v.mp4", "--size", "160x120"}, WithoutDisplay(data.path()), 60.0),
                  "the show's music did not start", folder);
    ASSERT_TRUE(data.Remove("data/pizza2.png"));
    ExpectFailure(RunCommand({Capture, folder + "/v.mp4", "--size", "160x120"}, WithoutDisplay(data.path()), 60.0),
                  "cannot load data/pizza2.png", folder);
}

TEST_F(CaptureFailure, Interrupted) {
    for (int signalNumber : {SIGINT, SIGQUIT}) {
        ChildOptions options = WithoutDisplay();
        options.logPrefix = TestArtifactDirectory() + "/capture-" + std::to_string(signalNumber);
        ChildProcess capture({Capture, folder + "/v.mp4", "--size", "160x120", "--sheet", folder + "/s.png"}, options);
        ASSERT_TRUE(capture.started());
        // A few frames in, the encoder running and every temporary file made.
        ASSERT_TRUE(capture.WaitForOutput(std::to_string(StartTick + 20 * 1000 / 60) + "\n", 30.0));
        EXPECT_NE("", Joined(FilesIn(folder)));
        capture.Signal(signalNumber);
        ASSERT_TRUE(capture.WaitForExit(15.0));
        EXPECT_EQ(128 + signalNumber, capture.ExitStatus());
        EXPECT_NE(std::string::npos, capture.Errors().find("interrupted")) << capture.Errors();
        EXPECT_EQ("", Joined(FilesIn(folder))) << "left behind after signal " << signalNumber;
    }
}

// Whether process `pid` has ended (gone, or a zombie that nobody has reaped yet).
bool ProcessEnded(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 1, 3, " Z ") == 0;
}

// SIGKILL (as the OOM killer sends it) leaves no handler a chance: the encoder must end with the
// capture by itself, and the next capture of the same outputs removes what the dead one left.
TEST_F(CaptureFailure, KilledOutright) {
    // An encoder that takes no frames, so the capture waits on it: it notes its process and
    // would outlive the capture by half a minute.
    std::string bin = MakeTemporaryDirectory("veskop-capture-bin-");
    const std::string fake = bin + "/ffmpeg", pidFile = bin + "/encoder.pid";
    std::FILE* script = std::fopen(fake.c_str(), "w");
    ASSERT_NE(nullptr, script);
    std::fputs("#!/bin/sh\necho $$ > \"$ENCODER_PID_FILE.new\"\n"
               "mv \"$ENCODER_PID_FILE.new\" \"$ENCODER_PID_FILE\"\nexec sleep 30\n", script);
    std::fclose(script);
    chmod(fake.c_str(), 0755);
    ChildOptions options = WithoutDisplay();
    options.environment = {{"PATH", bin + ":/usr/bin:/bin"}, {"ENCODER_PID_FILE", pidFile}};
    const std::vector<std::string> outputs = {folder + "/v.mp4", "--sheet", folder + "/s.png"};
    std::vector<std::string> argv = {Capture, "--size", "160x120"};
    argv.insert(argv.end(), outputs.begin(), outputs.end());
    ChildProcess capture(argv, options);
    ASSERT_TRUE(capture.started());
    double deadline = NowSeconds() + 30.0;
    while (ReadFile(pidFile).empty() && NowSeconds() < deadline) SleepSeconds(0.05);
    const pid_t encoder = std::atoi(ReadFile(pidFile).c_str());
    ASSERT_GT(encoder, 0) << capture.Errors();
    SleepSeconds(0.5);  // the show has started, waiting on the encoder
    capture.Kill();

    deadline = NowSeconds() + 5.0;
    while (!ProcessEnded(encoder) && NowSeconds() < deadline) SleepSeconds(0.05);
    EXPECT_TRUE(ProcessEnded(encoder)) << "the encoder outlived the capture";
    if (!ProcessEnded(encoder)) kill(encoder, SIGKILL);
    EXPECT_NE("", Joined(FilesIn(folder)));

    argv = {Capture, "--fps", "1", "--size", "16x16"};
    argv.insert(argv.end(), outputs.begin(), outputs.end());
    CommandResult again = RunCommand(argv, WithoutDisplay(), 60.0);
    EXPECT_EQ(0, again.status) << again.errors;
    EXPECT_EQ("s.png v.mp4", Joined(FilesIn(folder))) << "the dead capture's files are left";
    std::filesystem::remove_all(bin);
}

}  // namespace
