// The fullscreen toggle with the program's own scene set-up and timeline (no OpenGL context: its
// calls do nothing there): the show starts over from zero, while the camera distance and the
// spin carry on.
#include "app/demo_window.h"
#include "demo/demo_state.h"
#include "fake_win32.h"
#include "shell_harness.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowRestart, ToggleStartsTheTimelineOverButKeepsCameraAndSpin) {
    ResetProgramState();
    const DWORD Start = 1000;
    fakewin32::SetTickCount(Start);
    std::vector<std::int32_t> elapsed;
    fakewin32::OnCall("SwapBuffers", [&](int) { elapsed.push_back(DemoState.elapsed); });
    ScriptIdlePasses({[] { PostKeyDown(VK_F2); },
                      [] {
                          PostKeyUp(VK_F2);
                          PostKeyDown(VK_F1);
                          fakewin32::AdvanceTicks(7000);  // into the cube scene
                      },
                      [] {},
                      [] { fakewin32::AdvanceTicks(40); },
                      [] { PostKeyDown(VK_ESCAPE); }});

    testing::internal::CaptureStdout();  // the frames' diagnostic lines
    int status = RunWinMain();
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(status, VK_ESCAPE);
    // Frames at 0 and 7000 ms, the toggle in the second frame's pass; the new window's show
    // starts at the tick of its set-up: 0 again, then 40.
    EXPECT_EQ(elapsed, (std::vector<std::int32_t>{0, 7000, 0, 40}));
    EXPECT_EQ(DemoState.startTick, Start + 7000);
    EXPECT_EQ(DemoState.cameraDistance, 3.5f);
    // Five frames: four at 0.5, one cube frame at 0.5 + 0.001, none reset by the toggle.
    float spin = -45.0f;
    for (double step : {0.5, 0.001, 0.5, 0.5, 0.5, 0.5}) spin = static_cast<float>(spin + step);
    EXPECT_EQ(DemoState.spinAngle, spin);
}

}  // namespace
