// The real veskop under Xvfb, as a user runs it: its window, its frame lines, the keys, the ways it
// ends and their exit statuses, the fullscreen question on a display without 640x480, and a run
// with no display at all.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "scene_checks.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

const double StartTimeout = 15.0;  // seconds, for the first frame or a window to appear
const double ExitTimeout = 15.0;

const char FullscreenQuestion[] =
    "KORVANTE GL: The Requested Fullscreen Mode Is Not Supported By\n"
    "Your Video Card. Use Windowed Mode Instead?\n";
const char CloseNotice[] = "ERROR: Program Will Now Close.\n";

bool WriteExecutable(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    return chmod(path.c_str(), 0755) == 0;
}

TEST(VeskopShell, OpensFullscreenWritesItsLinesAndEscapeEndsItWith27) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    auto veskop = StartVeskop(&server);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();

    XWindow window = server.WaitForWindow("VESKOP", StartTimeout);
    ASSERT_TRUE(window.found());
    EXPECT_EQ(0, window.x);
    EXPECT_EQ(0, window.y);
    EXPECT_EQ(640, window.width);
    EXPECT_EQ(480, window.height);

    // Let the show run for a while: the first idle pass that sees Escape held ends it.
    SleepSeconds(0.5);
    // Held across several idle passes: the loop sees it, and its own key-down and character
    // messages were the last ones retrieved.
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());

    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_TRUE(frames.otherLines.empty());
    EXPECT_EQ("", veskop->Errors());
    EXPECT_TRUE(server.WaitForWindowGone("VESKOP", 5.0));
}

TEST(VeskopShell, DrawsTheCubeAtTheCentreInTheCubeScene) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    std::unique_ptr<ChildProcess> veskop;
    ASSERT_NO_FATAL_FAILURE(RunToTheCubeAndEscape(server, {}, &veskop));
}

TEST(VeskopShell, EndsByItselfWith0AfterTheShow) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    VeskopOptions options;
    options.clockSpeed = 10.0;  // 55 s of show in 5.5 s
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(veskop->WaitForExit(StartTimeout + 5.5 * 2)) << "still running after the show";
    EXPECT_EQ(0, veskop->ExitStatus());

    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    ASSERT_GT(frames.ticks.size(), 2u);
    // The first frame comes at the start of the show and the last within a frame of its end.
    // At ten times the speed, the first frame's own drawing (the renderer compiles its code for
    // the lit meshes then) can take a few hundred real milliseconds before its line is written.
    std::int64_t shown = TicksBetween(frames.ticks.front(), frames.ticks.back());
    EXPECT_GE(shown, 51000);
    EXPECT_LE(shown, 55500);
    EXPECT_EQ("", veskop->Errors());
}

TEST(VeskopShell, AReaderOfItsOutputThatGoesAwayDoesNotEndTheShow) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    VeskopOptions options;
    options.clockSpeed = 10.0;  // 55 s of show in 5.5 s
    options.outputReaderGone = true;
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(server.WaitForWindow("VESKOP", StartTimeout).found()) << veskop->Errors();
    double shown = NowSeconds();
    ASSERT_TRUE(veskop->WaitForExit(StartTimeout + 5.5 * 2)) << "still running after the show";
    EXPECT_EQ(0, veskop->ExitStatus());  // not 141, a death by SIGPIPE
    EXPECT_GE((NowSeconds() - shown) * options.clockSpeed, 50.0) << "the show ended early";
    EXPECT_EQ("", veskop->Errors());
}

TEST(VeskopShell, F1RecreatesItAsAWindowTitledQuiroAndStartsTheShowOver) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    VeskopOptions options;
    options.clockSpeed = 10.0;
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(server.WaitForWindow("VESKOP", StartTimeout).found()) << veskop->Errors();
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout));
    SleepSeconds(2.0);  // about 20 s into the show

    // Shorter than the keyboard's auto-repeat delay: one toggle.
    FrameLines beforeToggle = ParseFrameLines(veskop->Output());
    ASSERT_TRUE(server.HoldKey("F1", 0.15));
    XWindow window = server.WaitForWindow("Quiro", StartTimeout);
    ASSERT_TRUE(window.found());
    EXPECT_FALSE(server.FindWindow("VESKOP").found());
    // A framed window now: its client area is 640x480, placed inside the frame.
    EXPECT_EQ(640, window.width);
    EXPECT_EQ(480, window.height);
    EXPECT_EQ(8, window.x);
    EXPECT_EQ(31, window.y);

    ASSERT_TRUE(veskop->WaitForExit(StartTimeout + 5.5 * 2));
    EXPECT_EQ(0, veskop->ExitStatus());
    FrameLines frames = ParseFrameLines(veskop->Output());
    ExpectTicksInOrder(frames);
    ASSERT_FALSE(beforeToggle.ticks.empty());
    // The second show ran its full 55 s after the toggle, so the two together ran well past 55 s.
    std::int64_t afterToggle = TicksBetween(beforeToggle.ticks.back(), frames.ticks.back());
    EXPECT_GE(afterToggle, 54000);
    // At ten times the speed, the key hold, the new set-up and frame times under load add several
    // seconds of show time on top of the 55.
    EXPECT_LE(afterToggle, 75000);
    EXPECT_GE(TicksBetween(frames.ticks.front(), frames.ticks.back()), 65000);
    // The second set-up starts the sound system again while it runs: the player reports that,
    // without a line end, and plays the song it has from the start.
    EXPECT_EQ(frames.otherLines,
              std::vector<std::string>{
                  "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first."});
    EXPECT_EQ("", veskop->Errors());
}

TEST(VeskopShell, TheCloseBoxAltF4SigtermAndSigintAllEndItWith0) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    const char* ways[] = {"close-box", "alt+F4", "SIGTERM", "SIGINT"};
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        VeskopOptions options;
        options.logName = way;
        auto veskop = StartVeskop(&server, options);
        XWindow window = server.WaitForWindow("VESKOP", StartTimeout);
        ASSERT_TRUE(window.found()) << veskop->Errors();
        ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout));
        std::string name = way;
        if (name == "close-box") {
            ASSERT_TRUE(server.CloseWindow(window));
        } else if (name == "alt+F4") {
            ASSERT_TRUE(server.TapKey("alt+F4"));
        } else {
            veskop->Signal(name == "SIGTERM" ? SIGTERM : SIGINT);
        }
        ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
        EXPECT_EQ(0, veskop->ExitStatus());
        EXPECT_EQ("", veskop->Errors());
        EXPECT_TRUE(server.WaitForWindowGone("VESKOP", 5.0));
    }
}

TEST(VeskopShell, WithoutA640x480ModeItAsksAndYesRunsItInAWindow) {
    XvfbServer server(1024, 768);  // offers only 1024x768
    ASSERT_TRUE(server.ok());
    auto veskop = StartVeskop(&server);
    XWindow question = server.WaitForWindow("KORVANTE GL", StartTimeout);
    ASSERT_TRUE(question.found()) << veskop->Errors();
    EXPECT_EQ(FullscreenQuestion, veskop->Errors());
    server.TakeScreenshot(TestArtifactDirectory() + "/question.png");

    ASSERT_TRUE(server.FocusWindow(question));
    ASSERT_TRUE(server.TapKey("Return"));  // Yes is the default button
    XWindow window = server.WaitForWindow("VESKOP", StartTimeout);
    ASSERT_TRUE(window.found());
    EXPECT_EQ(640, window.width);
    EXPECT_EQ(480, window.height);
    EXPECT_EQ(8, window.x);
    EXPECT_EQ(31, window.y);
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout));

    ASSERT_TRUE(server.FocusWindow(window));
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
    EXPECT_EQ(FullscreenQuestion, veskop->Errors());
}

TEST(VeskopShell, WithoutA640x480ModeNoEndsItWith1) {
    XvfbServer server(1024, 768);
    ASSERT_TRUE(server.ok());
    auto veskop = StartVeskop(&server);
    XWindow question = server.WaitForWindow("KORVANTE GL", StartTimeout);
    ASSERT_TRUE(question.found()) << veskop->Errors();
    ASSERT_TRUE(server.FocusWindow(question));
    ASSERT_TRUE(server.TapKey("Escape"));  // answers No

    XWindow notice = server.WaitForWindow("ERROR", StartTimeout);
    ASSERT_TRUE(notice.found());
    ASSERT_TRUE(server.FocusWindow(notice));
    ASSERT_TRUE(server.TapKey("Return"));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(1, veskop->ExitStatus());  // the start-up failed: not a success
    EXPECT_EQ(std::string(FullscreenQuestion) + CloseNotice, veskop->Errors());
    EXPECT_TRUE(ParseFrameLines(veskop->Output()).ticks.empty());
}

// The X server ends under a running show (a session closed, a server that crashed): the show
// cannot go on, and must end rather than wait forever on the dead connection.
TEST(VeskopShell, WhenTheDisplayGoesAwayItEndsWith1) {
    auto server = std::make_unique<XvfbServer>(640, 480);
    ASSERT_TRUE(server->ok());
    auto veskop = StartVeskop(server.get());
    ASSERT_TRUE(veskop->WaitForOutput("test??\n", StartTimeout)) << veskop->Errors();
    server.reset();
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout)) << "still running without its display";
    EXPECT_EQ(1, veskop->ExitStatus());
    EXPECT_NE(std::string::npos, veskop->Errors().find("Display lost: ")) << veskop->Errors();
}

TEST(VeskopShell, WithNoDisplayItTellsOnStandardErrorAndEndsWith1) {
    auto veskop = StartVeskop(nullptr);
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(1, veskop->ExitStatus());
    std::string errors = veskop->Errors();
    EXPECT_EQ(0u, errors.find("No display: ")) << errors;
    EXPECT_NE(std::string::npos, errors.find(FullscreenQuestion)) << errors;
    EXPECT_NE(std::string::npos, errors.find("answered No")) << errors;
    EXPECT_NE(std::string::npos, errors.find(CloseNotice)) << errors;
    EXPECT_TRUE(veskop->Output().empty());
}

// The show started through a shell that closes a stream (">&-"), to the cube, and ended with
// Escape.
void RunToTheCubeWithAStreamClosed(const std::string& folder, const std::string& closing) {
    SCOPED_TRACE(closing);
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    VeskopOptions options;
    options.program = folder + "/veskop-closed";
    ASSERT_TRUE(WriteExecutable(options.program,
                                "#!/bin/sh\nexec '" + std::string(VESKOP_BINARY) + "' \"$@\" " + closing + "\n"));
    if (closing == "2>&-") options.environment = {{"SDL_AUDIODRIVER", ""}};  // the default driver
    // At its own speed: faketime opens files of its own first, which would hide the fault.
    auto veskop = StartVeskop(&server, options);
    ASSERT_TRUE(server.WaitForWindow("VESKOP", StartTimeout).found());
    SleepSeconds(7.5);  // the cube's span is 6 s to 14.5 s of the show
    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/cube.png"), 0, 0);
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
}

// Started with standard output closed, or standard error with the default audio driver (whose
// library writes its complaints there), the show runs as with them open: the next file it opens
// must not take the closed stream's place, or the frames' lines and the complaints go into the
// X connection.
TEST(VeskopShell, ClosedStandardStreamsChangeNothing) {
    const std::string folder = MakeTemporaryDirectory("veskop-closed-streams-");
    ASSERT_FALSE(folder.empty());
    RunToTheCubeWithAStreamClosed(folder, ">&-");
    RunToTheCubeWithAStreamClosed(folder, "2>&-");
    RunCommand({"rm", "-rf", folder});
}

}  // namespace
