// The main loop over the recording fake, with a DrawFrame that counts: message handling between
// idle passes, the keys, the fullscreen toggle and every way out with its exit status.
#include "app/demo_window.h"
#include "demo/demo_state.h"
#include "shell_fixture.h"

#include <algorithm>

namespace {

using Names = std::vector<std::string>;
using Steps = std::vector<std::function<void()>>;

const Names Frame = {"DrawFrame", "SwapBuffers"};
const Names Teardown = {"ChangeDisplaySettingsA", "ShowCursor",   "wglMakeCurrent",
                        "wglDeleteContext",       "ReleaseDC",    "DestroyWindow",
                        "UnregisterClassA"};
const Names WindowedTeardown = {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
                                "UnregisterClassA"};
const Names Creation = {"GetModuleHandleA", "LoadIconA",        "LoadCursorA",
                        "RegisterClassA",   "ChangeDisplaySettingsA", "ShowCursor",
                        "AdjustWindowRectEx", "CreateWindowExA", "GetDC",
                        "ChoosePixelFormat", "SetPixelFormat",  "wglCreateContext",
                        "wglMakeCurrent",   "ShowWindow",       "SetForegroundWindow",
                        "SetFocus",         "InitScene"};

Names Concat(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Names Without(Names names, const char* name) {
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
    return names;
}

void ExpectNothingLeft() {
    EXPECT_EQ(fakewin32::LiveWindowCount(), 0);
    EXPECT_EQ(fakewin32::LiveContextCount(), 0);
    EXPECT_FALSE(fakewin32::ClassRegistered("OpenGL"));
    EXPECT_FALSE(fakewin32::DisplayModeChanged());
    EXPECT_EQ(fakewin32::CursorCounter(), 0);
}

using MainLoopTest = ShellTest;

TEST_F(MainLoopTest, StartsFullscreenTitledVeskopAndAsksNothing) {
    Fullscreen = false;
    ScriptIdlePasses({[] { PostKeyDown(VK_ESCAPE); }});
    RunWinMain();
    ASSERT_GE(fakewin32::WindowCreations().size(), 1u);
    EXPECT_EQ(fakewin32::WindowCreations()[0].title, "VESKOP");
    EXPECT_EQ(fakewin32::WindowCreations()[0].style & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(fakewin32::RequestedModes().size(), 1u);
    EXPECT_TRUE(fakewin32::MessageBoxes().empty());
    EXPECT_EQ(CallTexts("PeekMessageA")[0], "PeekMessageA(null, 0, 0, 0x1) -> WM 0x100 0x1b");
}

TEST_F(MainLoopTest, EscapeEndsTheLoopWithItsOwnKeyCode) {
    ScriptIdlePasses({[] {}, [] { PostKeyDown(VK_ESCAPE); }});
    EXPECT_EQ(RunWinMain(), VK_ESCAPE);
    // The second pass sees Escape: it draws, but does not present the frame.
    EXPECT_EQ(IdlePasses(), (std::vector<Names>{Frame, Concat({{"DrawFrame"}, Teardown})}));
    ExpectNothingLeft();
}

TEST_F(MainLoopTest, EscapeReturnsTheWParamOfTheLastMessageHandled) {
    const WPARAM SizeMaximized = 2;
    ScriptIdlePasses({[] {
        PostKeyDown(VK_ESCAPE);
        PostKeyDown('A');
        fakewin32::PostWindowMessage(WM_SIZE, SizeMaximized, 0x01E00280);
    }});
    EXPECT_EQ(RunWinMain(), 2);
}

TEST_F(MainLoopTest, EscapeBeforeAnyMessageReturnsZero) {
    KeyDown[VK_ESCAPE] = true;  // held across a toggle, say: no message has been retrieved yet
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_EQ(IdlePasses().size(), 1u);
}

TEST_F(MainLoopTest, ClosingTheWindowReturnsZeroAfterTheTeardown) {
    ScriptIdlePasses({[] { PostKeyDown('A'); }, [] { fakewin32::PostWindowMessage(WM_CLOSE); }});
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_EQ(IdlePasses().size(), 1u);
    Names names = fakewin32::CallNames();
    Names tail(names.end() - static_cast<long>(Teardown.size()), names.end());
    EXPECT_EQ(tail, Teardown);
    ExpectNothingLeft();
}

TEST_F(MainLoopTest, ATapOfEscapeBetweenTwoIdlePassesIsNotSeen) {
    ScriptIdlePasses({[] {},
                      [] {
                          PostKeyDown(VK_ESCAPE);
                          PostKeyUp(VK_ESCAPE);
                      },
                      [] { fakewin32::PostWindowMessage(WM_CLOSE); }});
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_EQ(IdlePasses(), (std::vector<Names>{Frame, Frame}));
}

TEST_F(MainLoopTest, AllPendingMessagesAreHandledBeforeTheNextFrame) {
    ScriptIdlePasses({[] {
        for (WPARAM key = 'A'; key <= 'E'; ++key) PostKeyDown(key);
        PostKeyDown(VK_ESCAPE);
    }});
    stubs::drawFrame = [](int) {
        EXPECT_EQ(fakewin32::PendingMessages(), 0u);
        return 1;
    };
    RunWinMain();
    EXPECT_EQ(fakewin32::CallCount("DispatchMessageA"), 6);
    EXPECT_EQ(fakewin32::CallCount("TranslateMessage"), 6);
    EXPECT_EQ(stubs::drawFrameCalls, 1);
}

TEST_F(MainLoopTest, AFrameThatAsksToEndFinishesThePassWithoutPresenting) {
    DemoState.cameraDistance = 2.5f;
    ScriptIdlePasses({[] { PostKeyDown(VK_F2); }});
    stubs::drawFrame = [](int) { return 0; };
    EXPECT_EQ(RunWinMain(), VK_F2);
    EXPECT_EQ(IdlePasses(), (std::vector<Names>{Concat({{"DrawFrame"}, Teardown})}));
    EXPECT_FLOAT_EQ(DemoState.cameraDistance, 3.5f) << "the keys of that pass still act";
}

TEST_F(MainLoopTest, InactiveWindowGetsNoFrameButKeysActAndBuffersAreSwapped) {
    DemoState.cameraDistance = 2.5f;
    ScriptIdlePasses({[] { fakewin32::PostWindowMessage(WM_ACTIVATE, 0x10000); },  // minimised
                      [] { PostKeyDown(VK_F2); },
                      [] { PostKeyDown(VK_F1); },
                      [] { PostKeyDown(VK_ESCAPE); }});
    EXPECT_EQ(RunWinMain(), VK_ESCAPE);
    std::vector<Names> passes = IdlePasses();
    ASSERT_EQ(passes.size(), 4u);
    EXPECT_EQ(passes[0], Names{"SwapBuffers"});
    EXPECT_EQ(passes[1], Names{"SwapBuffers"});
    EXPECT_EQ(passes[2][0], "SwapBuffers");
    EXPECT_EQ(fakewin32::WindowCreations().size(), 2u) << "F1 toggles while inactive";
    EXPECT_EQ(stubs::drawFrameCalls, 0);
    EXPECT_EQ(CallTexts("SwapBuffers")[0], "SwapBuffers(hdc1)");
    EXPECT_FLOAT_EQ(DemoState.cameraDistance, 5.5f);  // F2 held for three passes
}

TEST_F(MainLoopTest, CameraKeysMoveOneUnitPerPassRoundedToSinglePrecisionEachTime) {
    // At 2^24 a float cannot hold +1: F2 then F3 in one pass lands one below, where doing both
    // at once (or F3 first) would give back the start value.
    DemoState.cameraDistance = 16777216.0f;
    std::vector<float> seen;
    stubs::drawFrame = [&](int) {
        seen.push_back(DemoState.cameraDistance);
        return 1;
    };
    ScriptIdlePasses({[] {
                          PostKeyDown(VK_F2);
                          PostKeyDown(VK_F3);
                      },
                      [] { PostKeyUp(VK_F3); },
                      [] { PostKeyDown(VK_ESCAPE); }});
    RunWinMain();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], 16777216.0f);
    EXPECT_EQ(seen[1], 16777215.0f);  // after the pass with both keys
    EXPECT_EQ(seen[2], 16777216.0f);  // after a pass with F2 alone
    EXPECT_EQ(DemoState.cameraDistance, 16777216.0f);  // 2^24 + 1 rounds back to 2^24
}

TEST_F(MainLoopTest, EscapeAndF1InOnePassToggleFullyThenEnd) {
    ScriptIdlePasses({[] {
        PostKeyDown(VK_F1);
        PostKeyDown(VK_ESCAPE);
    }});
    EXPECT_EQ(RunWinMain(), VK_ESCAPE);

    // The old fullscreen window goes, a windowed one is made and set up, and then it goes too.
    Names windowedCreation = Without(Without(Creation, "ChangeDisplaySettingsA"), "ShowCursor");
    EXPECT_EQ(IdlePasses(),
              (std::vector<Names>{Concat({{"DrawFrame"}, Teardown, windowedCreation, WindowedTeardown})}));
    ASSERT_EQ(fakewin32::WindowCreations().size(), 2u);
    EXPECT_EQ(fakewin32::WindowCreations()[1].title, "Quiro");
    EXPECT_EQ(fakewin32::WindowCreations()[1].style,
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(stubs::initSceneCalls, 2);
    EXPECT_FALSE(Fullscreen);
    EXPECT_FALSE(KeyDown[VK_F1]);
    ExpectNothingLeft();
}

TEST_F(MainLoopTest, HeldF1TogglesOnceAndAgainOnlyAfterEachRepeat) {
    ScriptIdlePasses({[] { PostKeyDown(VK_F1); },
                      [] {},
                      [] { PostKeyDown(VK_F1); },  // auto-repeat of the held key
                      [] {},
                      [] { PostKeyDown(VK_ESCAPE); }});
    RunWinMain();
    const std::vector<fakewin32::WindowCreation>& windows = fakewin32::WindowCreations();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[1].title, "Quiro");
    EXPECT_EQ(windows[2].title, "Quiro");
    EXPECT_EQ(windows[1].style & WS_POPUP, 0u);
    EXPECT_EQ(windows[2].style & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    std::vector<Names> passes = IdlePasses();
    ASSERT_EQ(passes.size(), 5u);
    EXPECT_EQ(passes[1], Frame);
    EXPECT_EQ(passes[3], Frame);
    EXPECT_TRUE(Fullscreen);
    EXPECT_EQ(fakewin32::RequestedModes().size(), 2u);  // the first window and the third
}

TEST_F(MainLoopTest, ToggleKeepsTheCameraDistance) {
    DemoState.cameraDistance = 2.5f;
    ScriptIdlePasses({[] { PostKeyDown(VK_F2); },
                      [] {
                          PostKeyUp(VK_F2);
                          PostKeyDown(VK_F1);
                      },
                      [] { PostKeyDown(VK_ESCAPE); }});
    RunWinMain();
    EXPECT_EQ(stubs::initSceneCalls, 2);
    EXPECT_FLOAT_EQ(DemoState.cameraDistance, 3.5f);
}

TEST_F(MainLoopTest, FailedFirstWindowEndsWithStatusOne) {
    fakewin32::FailCall("CreateWindowExA");
    EXPECT_EQ(RunWinMain(), 1);
    EXPECT_EQ(fakewin32::CallCount("PeekMessageA"), 0);
    EXPECT_EQ(fakewin32::CallNames().back(), "MessageBoxA");
    ExpectNothingLeft();
}

TEST_F(MainLoopTest, FailedRecreationAfterF1EndsWithStatusOneWithoutFurtherTeardown) {
    fakewin32::FailCall("RegisterClassA", 2);
    ScriptIdlePasses({[] { PostKeyDown(VK_F1); }});
    EXPECT_EQ(RunWinMain(), 1);
    EXPECT_EQ(fakewin32::CallNames().back(), "MessageBoxA");
    ASSERT_EQ(fakewin32::MessageBoxes().size(), 1u);
    EXPECT_EQ(fakewin32::MessageBoxes()[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(fakewin32::CallCount("UnregisterClassA"), 1);  // the old window's teardown only
    EXPECT_EQ(fakewin32::LiveWindowCount(), 0);
}

}  // namespace
