// The real veskop on an X server with several display modes (Xorg's dummy driver), where a
// fullscreen show really switches the screen to 640x480: every way the program ends, the
// signals included however many arrive, gives the screen back its desktop mode.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "veskop_run.h"
#include "x_server.h"

namespace {

const double StartTimeout = 15.0;  // seconds, for the show to start
const double ExitTimeout = 15.0;
const double ModeTimeout = 5.0;  // a change of mode can take a moment
const char ShowMode[] = "640x480";

// A way to end the show, and the exit status it gives.
struct Ending {
    const char* name;
    std::vector<int> signals;  // sent one right after the other; none: the key or the close box
    int status;
};

class VeskopDisplayMode : public testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "Xorg runs only as root";
        server = std::make_unique<XorgServer>();
        ASSERT_TRUE(server->ok());
        ASSERT_EQ(XorgServer::DesktopMode, server->CurrentMode());
    }

    // Starts veskop and waits until its show runs in 640x480; null when it does not.
    std::unique_ptr<ChildProcess> StartShow(const VeskopOptions& options) {
        auto veskop = StartVeskop(server.get(), options);
        bool started = veskop->WaitForOutput("test??\n", StartTimeout) &&
                       server->WaitForMode(ShowMode, ModeTimeout);
        EXPECT_TRUE(started) << "mode " << server->CurrentMode() << "; " << veskop->Errors();
        return started ? std::move(veskop) : nullptr;
    }

    // The desktop mode is back; when it is not, it is put back by hand for the next run.
    void ExpectDesktopMode() {
        EXPECT_TRUE(server->WaitForMode(XorgServer::DesktopMode, ModeTimeout))
            << "the screen stays at " << server->CurrentMode();
        if (server->CurrentMode() != XorgServer::DesktopMode) {
            server->SetMode(XorgServer::DesktopMode);
        }
    }

    // A show in 640x480 ended that way, then the desktop mode back.
    void EndTheShow(const Ending& ending) {
        VeskopOptions options;
        options.logName = ending.name;
        auto veskop = StartShow(options);
        ASSERT_TRUE(veskop);
        std::string name = ending.name;
        if (name == "Escape") {
            ASSERT_TRUE(server->HoldKey("Escape", 0.3));
        } else if (name == "close-box") {
            ASSERT_TRUE(server->CloseWindow(server->WaitForWindow("VESKOP", StartTimeout)));
        }
        for (int signalNumber : ending.signals) veskop->Signal(signalNumber);
        ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
        EXPECT_EQ(ending.status, veskop->ExitStatus());
        ExpectDesktopMode();
    }

    std::unique_ptr<XorgServer> server;
};

TEST_F(VeskopDisplayMode, EscapeAndTheCloseBoxGiveBackTheDesktopMode) {
    for (const Ending& ending : {Ending{"Escape", {}, 27}, Ending{"close-box", {}, 0}}) {
        SCOPED_TRACE(ending.name);
        EndTheShow(ending);
    }
}

// A signal asks the program to close, like the close box, however many arrive: two at once come
// before it has taken the first. SIGHUP is what a closed terminal sends.
TEST_F(VeskopDisplayMode, SignalsCloseItAndGiveBackTheDesktopMode) {
    for (const Ending& ending :
         {Ending{"SIGINT", {SIGINT}, 0}, Ending{"SIGTERM", {SIGTERM}, 0},
          Ending{"SIGHUP", {SIGHUP}, 0}, Ending{"SIGINT-and-SIGTERM", {SIGINT, SIGTERM}, 0}}) {
        SCOPED_TRACE(ending.name);
        EndTheShow(ending);
    }
}

TEST_F(VeskopDisplayMode, TheEndOfTheShowGivesBackTheDesktopMode) {
    VeskopOptions options;
    options.clockSpeed = 10.0;  // 55 s of show in 5.5 s
    auto veskop = StartShow(options);
    ASSERT_TRUE(veskop);
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout)) << "still running after the show";
    EXPECT_EQ(0, veskop->ExitStatus());
    ExpectDesktopMode();
}

// The image fails in the set-up, after the fullscreen window was shown: the mode had changed
// for a moment only, which the watch sees, and is back before the error box comes up.
TEST_F(VeskopDisplayMode, AFailedImageGivesBackTheDesktopMode) {
    WorkingFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(folder.Write("data/vardlum.png", "not a picture"));
    ScreenSizeWatch watch(*server);
    ASSERT_TRUE(watch.ok());
    VeskopOptions options;
    options.workingDirectory = folder.path();
    auto veskop = StartVeskop(server.get(), options);
    XWindow box = server->WaitForWindow("ERROR", StartTimeout);
    ASSERT_TRUE(box.found()) << veskop->Errors();
    EXPECT_EQ(XorgServer::DesktopMode, server->CurrentMode()) << "the box came up in the show's mode";
    ASSERT_TRUE(server->AnswerBox(box, "Return"));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(1, veskop->ExitStatus());
    ExpectDesktopMode();
    EXPECT_TRUE(watch.WaitForSize(ShowMode, ModeTimeout))
        << "the screen never switched to " << ShowMode;
}

// F1 makes a window in the desktop mode, and F1 again a fullscreen show in 640x480.
TEST_F(VeskopDisplayMode, F1ToAWindowAndBackSwitchesTheModeBothWays) {
    auto veskop = StartShow(VeskopOptions{});
    ASSERT_TRUE(veskop);
    // Shorter than the keyboard's auto-repeat delay: one toggle each.
    ASSERT_TRUE(server->HoldKey("F1", 0.15));
    XWindow window = server->WaitForWindow("Quiro", StartTimeout);
    ASSERT_TRUE(window.found());
    ExpectDesktopMode();
    ASSERT_TRUE(server->FocusWindow(window));
    ASSERT_TRUE(server->HoldKey("F1", 0.15));
    EXPECT_TRUE(server->WaitForMode(ShowMode, ModeTimeout)) << server->CurrentMode();
    ASSERT_TRUE(server->WaitForWindow("Quiro", StartTimeout).found());
    ASSERT_TRUE(server->HoldKey("Escape", 0.3));
    ASSERT_TRUE(veskop->WaitForExit(ExitTimeout));
    EXPECT_EQ(27, veskop->ExitStatus());
    ExpectDesktopMode();
}

}  // namespace

namespace {

// Two shows on one display, the second started while the first runs fullscreen, ended one after
// the other in either order: once both have ended the screen is back in the mode it had before
// the first (the first's end gives the display its desktop mode back, as on Windows, while the
// second plays on).
TEST_F(VeskopDisplayMode, TwoShowsAtOnceGiveBackTheDesktopModeInEitherOrderOfEnding) {
    for (bool firstEndsFirst : {true, false}) {
        SCOPED_TRACE(firstEndsFirst ? "the first ends first" : "the second ends first");
        VeskopOptions options;
        options.logName = firstEndsFirst ? "first-of-two" : "first-of-two-ends-last";
        auto first = StartShow(options);
        ASSERT_TRUE(first);
        options.logName = firstEndsFirst ? "second-of-two-ends-last" : "second-of-two";
        auto second = StartShow(options);
        ASSERT_TRUE(second);
        ChildProcess* order[2] = {first.get(), second.get()};
        if (!firstEndsFirst) std::swap(order[0], order[1]);

        order[0]->Signal(SIGTERM);
        ASSERT_TRUE(order[0]->WaitForExit(ExitTimeout));
        EXPECT_EQ(0, order[0]->ExitStatus());
        SleepSeconds(0.5);  // time for a wrong switch to happen
        EXPECT_TRUE(order[1]->Running());
        order[1]->Signal(SIGTERM);
        ASSERT_TRUE(order[1]->WaitForExit(ExitTimeout));
        ExpectDesktopMode();
    }
}

}  // namespace
