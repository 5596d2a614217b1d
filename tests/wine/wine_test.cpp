// The Windows program as a user gets it: veskop.exe from its zip, unpacked, run under Wine on an
// X server of each test's own (Wine's WGL over Mesa). One Wine prefix serves the whole test run
// (prepare_run.sh makes it), and the tests take turns in it: each ends Wine's session when done,
// so that the next one starts Wine on its own X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "audio_analysis.h"
#include "scene_checks.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

const std::string RunFolder = VESKOP_WINE_RUN_DIR;
const std::string RunWine = VESKOP_WINE_SOURCE_DIR "/run_wine.sh";
const std::string Unpacked = RunFolder + "/unpacked/veskop";
const std::string Program = Unpacked + "/veskop.exe";

const double StartTimeout = 30.0;  // seconds: Wine's own start comes first
const double ExitTimeout = 15.0;
const char WineLimit[] = "120";    // seconds any one Wine program may run

const char NoDevice[] = "Error initializing output device.";

// Runs a Wine program in the test run's prefix, with no display.
CommandResult RunInWine(const std::vector<std::string>& command) {
    std::vector<std::string> argv = {RunWine, RunFolder, WineLimit};
    argv.insert(argv.end(), command.begin(), command.end());
    ChildOptions options;
    options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    return RunCommand(argv, options, 60.0);
}

struct ExeOptions {
    std::string workingDirectory = Unpacked;  // where it looks for data/
    std::vector<std::pair<std::string, std::string>> environment;
    std::string logName = "veskop";
};

std::unique_ptr<ChildProcess> StartExe(const XvfbServer& server, const ExeOptions& options = {}) {
    ChildOptions child = server.ClientOptions();
    child.workingDirectory = options.workingDirectory;
    child.logPrefix = TestArtifactDirectory() + "/" + options.logName;
    for (const auto& pair : options.environment) child.environment.push_back(pair);
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{RunWine, RunFolder, WineLimit, "wine", Program}, child);
}

// Ends what is left of Wine's session after each test: the next test's Wine then starts on its own
// X server.
class WineSession : public testing::Test {
protected:
    void TearDown() override { RunInWine({"wineserver", "-k"}); }
};

class VeskopExe : public WineSession {
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()); }
    XvfbServer server{640, 480};
};

class VeskopExeWithout640x480 : public WineSession {
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()); }
    XvfbServer server{1024, 768};  // offers only 1024x768
};

TEST(VeskopZip, HoldsOneFolderWithTheProgramItsDataAndTextsAndNeedsOnlyWindowsOwnDlls) {
    const std::string unpacked = RunFolder + "/unpacked";
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(unpacked)) {
        if (entry.is_regular_file()) {
            files.insert(std::filesystem::relative(entry.path(), unpacked).string());
        }
    }
    const std::set<std::string> expected = {
        "veskop/veskop.exe",          "veskop/README.txt",
        "veskop/data/startlogo2.png", "veskop/data/alphabetGeorgia.png",
        "veskop/data/pizza2.png",     "veskop/data/sovepose2.png",
        "veskop/data/vardlum.png",    "veskop/data/LUMAR7.XM",
        "veskop/licenses/libopenmpt.txt", "veskop/licenses/libpng.txt",
        "veskop/licenses/mingw-w64.txt",  "veskop/licenses/zlib.txt",
    };
    EXPECT_EQ(expected, files);

    // Wine has copies of some DLLs that Windows lacks (zlib1.dll, for one), so a run under Wine
    // cannot show this: the program's import table must name only DLLs of Windows 7 and later.
    CommandResult dump = RunCommand({"x86_64-w64-mingw32-objdump", "-p", Program});
    ASSERT_EQ(0, dump.status) << dump.errors;
    std::set<std::string> imported;
    std::istringstream lines(dump.output);
    for (std::string line; std::getline(lines, line);) {
        size_t at = line.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string name = line.substr(at + 10);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        imported.insert(name);
    }
    const std::set<std::string> windowsOwn = {"gdi32.dll",  "glu32.dll",    "kernel32.dll",
                                              "msvcrt.dll", "opengl32.dll", "user32.dll",
                                              "winmm.dll"};
    EXPECT_EQ(windowsOwn, imported);
    // A GUI program: no console window comes up with it.
    EXPECT_NE(std::string::npos, dump.output.find("(Windows GUI)"));
}

// What Windows itself reads from the program's resources and Wine does not act on: per-monitor
// DPI awareness (else a 640x480 window at 125 % scaling is drawn shrunk into a corner once the
// mode has changed), the boxes' Common Controls 6, and the icon Explorer shows for the file.
TEST(VeskopZip, TheProgramCarriesItsIconAndAManifestForPerMonitorDpiAndCommonControls6) {
    CommandResult manifest = RunCommand({"wrestool", "--extract", "--raw", "--type=24", Program});
    ASSERT_EQ(0, manifest.status) << manifest.errors;
    for (const char* text :
         {">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>",
          "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
          "publicKeyToken=\"6595b64144ccf1df\""}) {
        EXPECT_NE(std::string::npos, manifest.output.find(text)) << text << " not in:\n"
                                                                 << manifest.output;
    }
    const std::string icon = TestArtifactDirectory() + "/veskop.ico";
    CommandResult extracted =
        RunCommand({"wrestool", "--extract", "--type=group_icon", "--output=" + icon, Program});
    ASSERT_EQ(0, extracted.status) << extracted.errors;
    CommandResult sizes = RunCommand({"icotool", "--list", icon});
    std::string expected;
    int index = 1;
    for (int side : {16, 32, 48, 256}) {
        expected += "--icon --index=" + std::to_string(index++) + " --width=" + std::to_string(side) +
                    " --height=" + std::to_string(side) + " --bit-depth=32 --palette-size=0\n";
    }
    EXPECT_EQ(expected, sizes.output) << sizes.errors;
}

// The one real show of the run: Wine's tick count follows the real clock, so this takes 55 s.
TEST_F(VeskopExe, PlaysTheShowFullscreenInEachScenesSpanAndEndsWith0After55Seconds) {
    auto veskop = StartExe(server);
    ASSERT_TRUE(veskop->WaitForOutput("test??", StartTimeout)) << veskop->Errors();
    double firstFrameSeen = NowSeconds();
    std::uint32_t origin = FirstFrameTick(*veskop);
    XWindow window = server.FindWindow("VESKOP");
    ASSERT_TRUE(window.found());
    EXPECT_EQ(0, window.x);
    EXPECT_EQ(0, window.y);
    EXPECT_EQ(640, window.width);
    EXPECT_EQ(480, window.height);

    // The screen at `at` ms after the first frame, early in a scene's span, saved as name.png.
    auto screenAt = [&](const char* name, std::int64_t at) {
        std::uint32_t tick = 0;
        EXPECT_TRUE(WaitForShowTime(*veskop, origin, at, StartTimeout, &tick)) << name;
        std::string path = TestArtifactDirectory() + "/" + name + ".png";
        EXPECT_TRUE(server.CaptureScreen().SaveAs(path)) << name;
        return path;
    };
    // No mesh scene here: the meshes drift by an amount that grows with the tick count at the
    // show's start, which under Wine is the machine's own uptime (hours on one machine, weeks on
    // another, and past 2^31 ms the drift turns round), so where they are cannot be foretold.
    // The cube and the images do not move with it.
    ExpectCubeScene(Screenshot::Read(screenAt("cube", 7500)), 0, 0);
    ExpectImageScene(screenAt("vardlum", 16000), Unpacked + "/data/vardlum.png", 0, 0);

    ASSERT_TRUE(veskop->WaitForExit(55.0 + ExitTimeout)) << "still running after the show";
    EXPECT_EQ(0, veskop->ExitStatus());
    EXPECT_GE(NowSeconds() - firstFrameSeen, 53.0);
    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    ASSERT_GT(frames.ticks.size(), 100u);
    std::int64_t shown = TicksBetween(frames.ticks.front(), frames.ticks.back());
    EXPECT_GE(shown, 54000);
    EXPECT_LE(shown, 55100);
    // Without a sound device the show runs silently, after the player's one text.
    EXPECT_EQ(frames.otherLines, std::vector<std::string>{NoDevice});
}

// A WAV file as ALSA's file plugin writes it (a 44-byte header, then the samples), with what the
// Wine process played on its default device.
struct Recording {
    int channels = 0, rate = 0, bits = 0;
    StereoSamples samples;
};

Recording ReadRecording(const std::string& path) {
    Recording recording;
    std::string bytes = ReadFile(path);
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ")) {
        return recording;
    }
    auto number = [&bytes](size_t at, int size) {
        unsigned value = 0;
        for (int i = size - 1; i >= 0; i--) value = value << 8 | std::uint8_t(bytes[at + i]);
        return int(value);
    };
    recording.channels = number(22, 2);
    recording.rate = number(24, 4);
    recording.bits = number(34, 2);
    // To the end of the file: the data's size is written only when the device closes.
    for (size_t at = 44; at + 2 <= bytes.size(); at += 2) {
        recording.samples.push_back(std::int16_t(number(at, 2)));
    }
    return recording;
}

// Options under which what Wine plays goes to an ALSA default device that writes it into a WAV
// file at recordingPath, at the speed it is given.
ExeOptions WithSoundRecordedInto(const std::string& recordingPath) {
    std::string config = TestArtifactDirectory() + "/asound.conf";
    {
        std::ofstream file(config);
        file << "</usr/share/alsa/alsa.conf>\n"
             << "pcm.!default { type file slave.pcm \"null\" file \"" << recordingPath
             << "\" format \"wav\" }\n";
    }
    ExeOptions options;
    options.environment.emplace_back("ALSA_CONFIG_PATH", config);
    return options;
}

TEST_F(VeskopExe, PlaysTheMusicThroughWaveOutAndEscapeEndsItWith27) {
    std::string recordingPath = TestArtifactDirectory() + "/music.wav";
    auto veskop = StartExe(server, WithSoundRecordedInto(recordingPath));
    ASSERT_TRUE(veskop->WaitForOutput("test??", StartTimeout)) << veskop->Errors();
    SleepSeconds(2.0);
    // Held across several idle passes: its own key-down and character messages come last.
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
    EXPECT_TRUE(server.WaitForWindowGone("VESKOP", 5.0));
    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_EQ(std::vector<std::string>{}, frames.otherLines);

    Recording recording = ReadRecording(recordingPath);
    EXPECT_EQ(2, recording.channels);
    EXPECT_EQ(44100, recording.rate);
    EXPECT_EQ(16, recording.bits);
    long onset = FirstSoundingFrame(recording.samples);
    ASSERT_GE(onset, 0) << "nothing was played";
    double from = double(onset) / 44100;
    // The buffers kept coming: two seconds of music, and loud.
    EXPECT_GT(WindowRms(recording.samples, 44100, from, from + 2.0), 300.0);
    EXPECT_GT(recording.samples.size() / 2, size_t(onset + 2 * 44100));
}

// The text a set-up writes when the sound system already runs: each F1 after the first start.
const char RestartText[] = "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";

// Waits until `count` set-ups after the first have written the text and, after it, their first
// frame's tick count; false when veskop ended first or timeoutSeconds passed.
bool WaitForRestarts(ChildProcess& veskop, int count, double timeoutSeconds) {
    const double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        const std::string output = veskop.Output();
        int seen = 0;
        for (size_t at = output.find(RestartText); at != std::string::npos;
             at = output.find(RestartText, at + 1)) {
            const size_t next = at + sizeof RestartText - 1;
            if (next < output.size() && std::isdigit(static_cast<unsigned char>(output[next]))) {
                seen++;
            }
        }
        if (seen >= count) return true;
        if (!veskop.Running() || NowSeconds() >= deadline) return false;
        SleepSeconds(0.05);
    }
}

// A "Quiro" window other than `old`, the one a toggle made.
XWindow WaitForNewQuiroWindow(const XvfbServer& server, const XWindow& old) {
    const double deadline = NowSeconds() + StartTimeout;
    for (;;) {
        XWindow window = server.FindWindow("Quiro");
        if ((window.found() && window.id != old.id) || NowSeconds() >= deadline) return window;
        SleepSeconds(0.05);
    }
}

// F1 through the real WGL, both ways: each time the window and its rendering context are made
// anew, with the class registered again, a pixel format set on the new window's device context,
// the textures and lists made in the new context, and the sound set up again. Then the close box.
TEST_F(VeskopExe, F1SwitchesToAWindowAndBackAndTheCloseBoxEndsItWith0) {
    std::string recordingPath = TestArtifactDirectory() + "/music.wav";
    auto veskop = StartExe(server, WithSoundRecordedInto(recordingPath));
    ASSERT_TRUE(veskop->WaitForOutput("test??", StartTimeout)) << veskop->Errors();
    XWindow fullscreen = server.FindWindow("VESKOP");
    ASSERT_TRUE(fullscreen.found());

    // Shorter than the keyboard's auto-repeat delay: one toggle each.
    ASSERT_TRUE(server.HoldKey("F1", 0.15));
    // Its inside is what Wine leaves of 640x480 under the frame on this 640x480 screen.
    XWindow window = WaitForNewQuiroWindow(server, {});
    ASSERT_TRUE(window.found());
    ASSERT_TRUE(WaitForRestarts(*veskop, 1, StartTimeout)) << veskop->Output();
    EXPECT_FALSE(server.FindWindow("VESKOP").found());
    std::uint32_t restart = 0, tick = 0;
    ASSERT_TRUE(FindTickAfter(veskop->Output(), RestartText, &restart));
    // The new context draws: the cube, which does not move with Wine's tick count.
    ASSERT_TRUE(WaitForShowTime(*veskop, restart, 7000, StartTimeout, &tick));
    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/window.png"), window.x,
                    window.y);

    ASSERT_TRUE(server.FocusWindow(window));
    ASSERT_TRUE(server.HoldKey("F1", 0.15));
    XWindow back = WaitForNewQuiroWindow(server, window);
    ASSERT_TRUE(back.found());
    EXPECT_EQ(0, back.x);
    EXPECT_EQ(0, back.y);
    EXPECT_EQ(640, back.width);
    EXPECT_EQ(480, back.height);
    ASSERT_TRUE(WaitForRestarts(*veskop, 2, StartTimeout)) << veskop->Output();

    // A fullscreen window has no close box: once more to a window, and that one's.
    ASSERT_TRUE(server.FocusWindow(back));
    ASSERT_TRUE(server.HoldKey("F1", 0.15));
    window = WaitForNewQuiroWindow(server, back);
    ASSERT_TRUE(window.found());
    ASSERT_TRUE(WaitForRestarts(*veskop, 3, StartTimeout)) << veskop->Output();
    ASSERT_TRUE(server.CloseWindow(window));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(0, veskop->ExitStatus());
    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_EQ(frames.otherLines, std::vector<std::string>(3, RestartText));
}

TEST_F(VeskopExeWithout640x480, AsksAndYesRunsTheShowInAWindow) {
    auto veskop = StartExe(server);
    XWindow question = server.WaitForWindow("KORVANTE GL", StartTimeout);
    ASSERT_TRUE(question.found()) << veskop->Errors();
    server.TakeScreenshot(TestArtifactDirectory() + "/question.png");
    ASSERT_TRUE(server.AnswerBox(question, "Return"));  // Yes is the default button
    XWindow window = server.WaitForWindow("VESKOP", StartTimeout);
    ASSERT_TRUE(window.found());
    // Without a window manager, Wine's X window is the client area.
    EXPECT_EQ(640, window.width);
    EXPECT_EQ(480, window.height);
    ASSERT_TRUE(veskop->WaitForOutput("test??", StartTimeout));
    std::uint32_t tick = 0;
    // The cube scene, which unlike the meshes does not move with Wine's tick count (see above).
    ASSERT_TRUE(WaitForShowTime(*veskop, FirstFrameTick(*veskop), 7000, StartTimeout, &tick));
    // The pointer, shown over a window, is moved out of the picture.
    ASSERT_EQ(0, server.Run({"xdotool", "mousemove", "1023", "767"}).status);
    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/window.png"), window.x,
                    window.y);
    ASSERT_TRUE(server.FocusWindow(window));
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
}

TEST_F(VeskopExeWithout640x480, AsksAndNoEndsItWith1) {
    auto veskop = StartExe(server);
    XWindow question = server.WaitForWindow("KORVANTE GL", StartTimeout);
    ASSERT_TRUE(question.found()) << veskop->Errors();
    ASSERT_TRUE(server.AnswerBox(question, "n"));  // the No button's key
    XWindow notice = server.WaitForWindow("ERROR", StartTimeout);
    ASSERT_TRUE(notice.found());
    server.TakeScreenshot(TestArtifactDirectory() + "/notice.png");
    ASSERT_TRUE(server.AnswerBox(notice, "Return"));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(1, veskop->ExitStatus());
    EXPECT_TRUE(ParseFrameLines(veskop->Output()).ticks.empty());
    EXPECT_FALSE(server.FindWindow("VESKOP").found());
}

// A Wine virtual desktop of 1024x768, set in the prefix's registry for this test's run. It
// offers the common display modes, 640x480 among them, and really switches, resizing the
// desktop's window.
class VeskopExeInAWineDesktop : public VeskopExeWithout640x480 {
protected:
    void SetUp() override {
        VeskopExeWithout640x480::SetUp();
        ASSERT_EQ(0, RunInWine({"wine", "reg", "add", ExplorerKey, "/v", "Desktop", "/d", "Default",
                                "/f"}).status);
        ASSERT_EQ(0, RunInWine({"wine", "reg", "add", std::string(ExplorerKey) + "\\Desktops", "/v",
                                "Default", "/d", "1024x768", "/f"}).status);
        // Wine's session of those commands has no display: the program's must start anew.
        RunInWine({"wineserver", "-k"});
    }
    void TearDown() override {
        RunInWine({"wineserver", "-k"});
        RunInWine({"wine", "reg", "delete", ExplorerKey, "/v", "Desktop", "/f"});
        VeskopExeWithout640x480::TearDown();
    }

    static constexpr const char* ExplorerKey = "HKCU\\Software\\Wine\\Explorer";
    static constexpr const char* DesktopTitle = "Default - Wine desktop";
};

TEST_F(VeskopExeInAWineDesktop, SwitchesTheDesktopTo640x480ForTheShowWithoutAsking) {
    auto veskop = StartExe(server);
    // A question would hold the first frame back until it was answered.
    ASSERT_TRUE(veskop->WaitForOutput("test??", StartTimeout)) << veskop->Errors();
    XWindow desktop = server.FindWindow(DesktopTitle);
    ASSERT_TRUE(desktop.found());
    EXPECT_EQ(640, desktop.width);
    EXPECT_EQ(480, desktop.height);
    std::uint32_t tick = 0;
    ASSERT_TRUE(WaitForShowTime(*veskop, FirstFrameTick(*veskop), 7000, StartTimeout, &tick));
    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/desktop.png"), 0, 0);
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
}

TEST_F(VeskopExeInAWineDesktop, AnImageThatDoesNotLoadIsNamedInABoxOnceTheModeIsRestored) {
    WorkingFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(folder.Remove("data/pizza2.png"));
    ExeOptions options;
    options.workingDirectory = folder.path();
    auto veskop = StartExe(server, options);
    XWindow box = server.WaitForAnyWindow("ERROR", StartTimeout);
    ASSERT_TRUE(box.found()) << veskop->Errors();
    // By then the window is gone and the desktop is back at its own size.
    EXPECT_FALSE(server.FindAnyWindow("VESKOP").found());
    XWindow desktop = server.FindWindow(DesktopTitle);
    EXPECT_EQ(1024, desktop.width);
    EXPECT_EQ(768, desktop.height);
    server.TakeScreenshot(TestArtifactDirectory() + "/box.png");
    ASSERT_TRUE(server.AnswerBox(box, "Return"));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(1, veskop->ExitStatus());
    EXPECT_EQ("veskop: cannot load data/pizza2.png: the file is missing\r\n", veskop->Errors());
    EXPECT_EQ("", veskop->Output());
}

}  // namespace
