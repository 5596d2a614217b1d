// Window creation and teardown over the recording fake: the order of the steps, the values
// handed to the system, what each failure releases and tells the user.
#include "app/demo_window.h"
#include "shell_fixture.h"

#include <cstring>

namespace {

using Names = std::vector<std::string>;

bool CreateFullscreen() { return CreateDemoWindow("VESKOP", 640, 480, 32, true); }

// The names of the calls recorded after the first one that failed (a stub's note counts when
// it is `failedNote`).
Names NamesAfterFailure(const char* failedNote = nullptr) {
    const std::vector<fakewin32::Call>& calls = fakewin32::Calls();
    size_t i = 0;
    while (i < calls.size() && !calls[i].failed && !(failedNote && calls[i].name == failedNote)) ++i;
    Names names;
    for (++i; i < calls.size(); ++i) names.push_back(calls[i].name);
    return names;
}

void ExpectEverythingReleased() {
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(WindowDC, nullptr);
    EXPECT_EQ(GLContext, nullptr);
    EXPECT_EQ(AppInstance, nullptr);
    EXPECT_EQ(fakewin32::LiveWindowCount(), 0);
    EXPECT_EQ(fakewin32::LiveDCCount(), 0);
    EXPECT_EQ(fakewin32::LiveContextCount(), 0);
    EXPECT_EQ(fakewin32::CurrentContext(), nullptr);
    EXPECT_FALSE(fakewin32::ClassRegistered("OpenGL"));
    EXPECT_FALSE(fakewin32::DisplayModeChanged());
    EXPECT_EQ(fakewin32::CursorCounter(), 0);
}

TEST_F(ShellTest, FullscreenCreationRunsItsStepsInOrder) {
    ASSERT_TRUE(CreateFullscreen());
    EXPECT_EQ(fakewin32::CallNamesExcept({"LoadIconA", "LoadCursorA"}),
              (Names{"GetModuleHandleA", "RegisterClassA", "ChangeDisplaySettingsA", "ShowCursor",
                     "AdjustWindowRectEx", "CreateWindowExA", "GetDC", "ChoosePixelFormat",
                     "SetPixelFormat", "wglCreateContext", "wglMakeCurrent", "ShowWindow",
                     "SetForegroundWindow", "SetFocus", "InitScene"}));
    EXPECT_EQ(CallTexts("GetModuleHandleA"), Names{"GetModuleHandleA(null)"});
    EXPECT_EQ(CallTexts("ShowCursor"), Names{"ShowCursor(false)"});
    EXPECT_EQ(CallTexts("AdjustWindowRectEx"),
              Names{"AdjustWindowRectEx({0,0,640,480}, 0x80000000, false, 0x40000) -> {0,0,640,480}"});
    EXPECT_EQ(CallTexts("CreateWindowExA"),
              Names{"CreateWindowExA(0x40000, OpenGL, VESKOP, 0x86000000, 0, 0, 640, 480, null, "
                    "null, hinstance1, null)"});
    EXPECT_EQ(CallTexts("wglMakeCurrent"), Names{"wglMakeCurrent(hdc1, hglrc1)"});
    EXPECT_EQ(CallTexts("ShowWindow"), Names{"ShowWindow(hwnd1, 5)"});
    EXPECT_EQ(CallTexts("SetFocus"), Names{"SetFocus(hwnd1)"});

    EXPECT_TRUE(Fullscreen);
    EXPECT_EQ(MainWindow, fakewin32::LiveWindow());
    EXPECT_EQ(AppInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(GLContext, fakewin32::CurrentContext());
    EXPECT_EQ(WindowDC, fakewin32::CurrentContextDC());
    EXPECT_TRUE(fakewin32::DisplayModeChanged());
    EXPECT_EQ(fakewin32::CursorCounter(), -1);
    EXPECT_TRUE(fakewin32::MessageBoxes().empty());
}

TEST_F(ShellTest, RegistersTheWindowClassAndAsksForTheDisplayModeAndPixelFormat) {
    ASSERT_TRUE(CreateFullscreen());

    ASSERT_EQ(fakewin32::RegisteredClasses().size(), 1u);
    const fakewin32::WindowClassRecord& windowClass = fakewin32::RegisteredClasses()[0];
    EXPECT_EQ(windowClass.value.style, 0x23u);
    EXPECT_EQ(windowClass.value.lpfnWndProc, &DemoWindowProc);
    EXPECT_EQ(windowClass.value.cbClsExtra, 0);
    EXPECT_EQ(windowClass.value.cbWndExtra, 0);
    EXPECT_EQ(windowClass.value.hInstance, AppInstance);
    EXPECT_EQ(windowClass.value.hIcon, LoadIconA(nullptr, IDI_WINLOGO));
    EXPECT_EQ(windowClass.value.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.value.hbrBackground, nullptr);
    EXPECT_EQ(windowClass.menuName, "null");
    EXPECT_EQ(windowClass.className, "OpenGL");

    // The mode record: 156 bytes, all zero but size, resolution, depth and the fields naming them.
    ASSERT_EQ(fakewin32::RequestedModes().size(), 1u);
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = 156;
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_EQ(std::memcmp(&fakewin32::RequestedModes()[0], &mode, sizeof mode), 0);
    EXPECT_EQ(fakewin32::CallsNamed("ChangeDisplaySettingsA")[0].args[1], "0x4");  // CDS_FULLSCREEN

    PIXELFORMATDESCRIPTOR descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    descriptor.nSize = 40;
    descriptor.nVersion = 1;
    descriptor.dwFlags = 0x25;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 32;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    ASSERT_EQ(fakewin32::ChosenDescriptors().size(), 1u);
    ASSERT_EQ(fakewin32::SetDescriptors().size(), 1u);
    EXPECT_EQ(std::memcmp(&fakewin32::ChosenDescriptors()[0], &descriptor, sizeof descriptor), 0);
    EXPECT_EQ(std::memcmp(&fakewin32::SetDescriptors()[0], &descriptor, sizeof descriptor), 0);
}

TEST_F(ShellTest, LaterCreationsReuseTheFirstPixelFormat) {
    ASSERT_TRUE(CreateFullscreen());
    DestroyDemoWindow();
    ASSERT_TRUE(CreateDemoWindow("Quiro", 640, 480, 16, false));
    ASSERT_EQ(fakewin32::SetDescriptors().size(), 2u);
    EXPECT_EQ(fakewin32::SetDescriptors()[1].cColorBits, 32);
    EXPECT_EQ(std::memcmp(&fakewin32::SetDescriptors()[0], &fakewin32::SetDescriptors()[1],
                          sizeof(PIXELFORMATDESCRIPTOR)),
              0);
}

// One row per step that can fail, in the order they can occur.
struct CreationFailure {
    const char* step;  // the call made to fail, or "InitScene" for a failed scene set-up
    int nth;           // which call of it fails (0: all)
    const char* text;
    Names teardown;    // what runs between the failure and the message
};

const Names NoTeardown = {};
const Names ReleaseMode = {"ChangeDisplaySettingsA", "ShowCursor", "UnregisterClassA"};
const Names ReleaseWindow = {"ChangeDisplaySettingsA", "ShowCursor", "DestroyWindow",
                             "UnregisterClassA"};
const Names ReleaseDeviceContext = {"ChangeDisplaySettingsA", "ShowCursor", "ReleaseDC", "DestroyWindow",
                          "UnregisterClassA"};
const Names ReleaseAll = {"ChangeDisplaySettingsA", "ShowCursor", "wglMakeCurrent",
                          "wglDeleteContext", "ReleaseDC", "DestroyWindow", "UnregisterClassA"};

class CreationFailureTest : public ShellTest,
                            public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(CreationFailureTest, ReleasesWhatWasMadeThenTellsTheUser) {
    const CreationFailure& row = GetParam();
    bool sceneFails = std::string(row.step) == "InitScene";
    if (sceneFails) {
        stubs::initSceneResult = false;
    } else {
        fakewin32::FailCall(row.step, row.nth);
    }

    EXPECT_FALSE(CreateFullscreen());

    Names expected = row.teardown;
    expected.push_back("MessageBoxA");  // the last thing it does
    EXPECT_EQ(NamesAfterFailure(sceneFails ? "InitScene" : nullptr), expected);
    ASSERT_EQ(fakewin32::MessageBoxes().size(), 1u) << "no SHUTDOWN ERROR on the way";
    const fakewin32::MessageBoxRecord& box = fakewin32::MessageBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, row.text);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONEXCLAMATION));

    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(WindowDC, nullptr);
    EXPECT_EQ(GLContext, nullptr);
    if (!row.teardown.empty()) ExpectEverythingReleased();
    EXPECT_EQ(fakewin32::LiveWindowCount(), 0);
    EXPECT_FALSE(fakewin32::DisplayModeChanged());
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CreationFailureTest,
    ::testing::Values(
        CreationFailure{"RegisterClassA", 0, "Failed To Register The Window Class.", NoTeardown},
        CreationFailure{"CreateWindowExA", 0, "Window Creation Error.", ReleaseMode},
        CreationFailure{"GetDC", 0, "Can't Create A GL Device Context.", ReleaseWindow},
        CreationFailure{"ChoosePixelFormat", 0, "Can't Find A Suitable PixelFormat.", ReleaseDeviceContext},
        CreationFailure{"SetPixelFormat", 0, "Can't Set The PixelFormat.", ReleaseDeviceContext},
        CreationFailure{"wglCreateContext", 0, "Can't Create A GL Rendering Context.", ReleaseDeviceContext},
        // Only the activation fails; the teardown's release of the context works.
        CreationFailure{"wglMakeCurrent", 1, "Can't Activate The GL Rendering Context.", ReleaseAll},
        CreationFailure{"InitScene", 0, "Initialization Failed.", ReleaseAll}),
    [](const ::testing::TestParamInfo<CreationFailure>& info) { return std::string(info.param.step); });

TEST_F(ShellTest, RefusedFullscreenModeAnsweredYesGoesOnInAFramedWindow) {
    fakewin32::FailCall("ChangeDisplaySettingsA");
    fakewin32::ScriptAnswers({IDYES});

    ASSERT_TRUE(CreateFullscreen());
    ASSERT_EQ(fakewin32::MessageBoxes().size(), 1u);
    const fakewin32::MessageBoxRecord& question = fakewin32::MessageBoxes()[0];
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_EQ(question.text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
              "Mode Instead?");
    EXPECT_EQ(question.caption, "KORVANTE GL");
    EXPECT_EQ(question.style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));

    EXPECT_FALSE(Fullscreen);
    EXPECT_EQ(fakewin32::CallCount("ShowCursor"), 0) << "the cursor stays visible";
    // A framed window whose client area is 640x480: the outer size is the adjusted rectangle's
    // (the fake's frame: an 8-pixel sizing border and a 23-pixel caption).
    EXPECT_EQ(CallTexts("AdjustWindowRectEx"),
              std::vector<std::string>{
                  "AdjustWindowRectEx({0,0,640,480}, 0xcf0000, false, 0x40100) -> {-8,-31,648,488}"});
    ASSERT_EQ(fakewin32::WindowCreations().size(), 1u);
    const fakewin32::WindowCreation& window = fakewin32::WindowCreations()[0];
    EXPECT_EQ(window.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
    EXPECT_EQ(window.style,
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(window.width, 656);
    EXPECT_EQ(window.height, 519);

    fakewin32::ClearCalls();
    DestroyDemoWindow();
    EXPECT_EQ(fakewin32::CallCount("ChangeDisplaySettingsA"), 0) << "the mode was never changed";
    EXPECT_EQ(fakewin32::CallCount("ShowCursor"), 0);
    ExpectEverythingReleased();
}

TEST_F(ShellTest, RefusedFullscreenModeAnsweredOtherwiseClosesWithoutTeardown) {
    for (bool answerNo : {true, false}) {
        SCOPED_TRACE(answerNo ? "answered No" : "the question box failed");
        ResetProgramState();
        fakewin32::FailCall("ChangeDisplaySettingsA");
        if (answerNo) {
            fakewin32::ScriptAnswers({IDNO});
        } else {
            fakewin32::FailCall("MessageBoxA", 1);  // answers 0
        }

        EXPECT_FALSE(CreateFullscreen());
        EXPECT_EQ(fakewin32::CallNamesExcept({"LoadIconA", "LoadCursorA"}),
                  (Names{"GetModuleHandleA", "RegisterClassA", "ChangeDisplaySettingsA",
                         "MessageBoxA", "MessageBoxA"}));
        ASSERT_EQ(fakewin32::MessageBoxes().size(), 2u);
        const fakewin32::MessageBoxRecord& closing = fakewin32::MessageBoxes()[1];
        EXPECT_EQ(closing.owner, nullptr);
        EXPECT_EQ(closing.text, "Program Will Now Close.");
        EXPECT_EQ(closing.caption, "ERROR");
        EXPECT_EQ(closing.style, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_TRUE(fakewin32::ClassRegistered("OpenGL")) << "nothing is torn down";
        EXPECT_FALSE(fakewin32::DisplayModeChanged());
    }
}

TEST_F(ShellTest, TeardownReleasesInOrderAndClearsTheHandles) {
    ASSERT_TRUE(CreateFullscreen());
    fakewin32::ClearCalls();

    DestroyDemoWindow();
    std::vector<std::string> texts;
    for (const fakewin32::Call& call : fakewin32::Calls()) texts.push_back(call.Text());
    EXPECT_EQ(texts, (Names{"ChangeDisplaySettingsA(null, 0x0)", "ShowCursor(true)",
                            "wglMakeCurrent(null, null)", "wglDeleteContext(hglrc1)",
                            "ReleaseDC(hwnd1, hdc1)", "DestroyWindow(hwnd1)",
                            "UnregisterClassA(OpenGL, hinstance1)"}));
    EXPECT_TRUE(Fullscreen) << "the teardown leaves the flag alone";
    EXPECT_TRUE(fakewin32::MessageBoxes().empty());
    ExpectEverythingReleased();
}

struct ReleaseFailure {
    const char* step;    // the release made to fail
    Names reportedAfter;  // the steps followed by a message
    Names texts;          // the messages, in order
};

class ReleaseFailureTest : public ShellTest, public ::testing::WithParamInterface<ReleaseFailure> {};

TEST_P(ReleaseFailureTest, IsReportedAndTheTeardownGoesOn) {
    const ReleaseFailure& row = GetParam();
    ASSERT_TRUE(CreateFullscreen());
    fakewin32::ClearCalls();
    fakewin32::FailCall(row.step);

    DestroyDemoWindow();
    // Every step still runs, each message right after the step that failed.
    Names expected;
    for (const std::string& step : ReleaseAll) {
        expected.push_back(step);
        for (const std::string& reported : row.reportedAfter) {
            if (reported == step) expected.push_back("MessageBoxA");
        }
    }
    EXPECT_EQ(fakewin32::CallNames(), expected);
    Names texts;
    for (const fakewin32::MessageBoxRecord& box : fakewin32::MessageBoxes()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONINFORMATION));
    }
    EXPECT_EQ(texts, row.texts);
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(WindowDC, nullptr);
    EXPECT_EQ(GLContext, nullptr);
    EXPECT_EQ(AppInstance, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EachRelease, ReleaseFailureTest,
    ::testing::Values(
        ReleaseFailure{"wglMakeCurrent", {"wglMakeCurrent"}, {"Release Of DC And RC Failed."}},
        ReleaseFailure{"wglDeleteContext", {"wglDeleteContext"}, {"Release Rendering Context Failed."}},
        ReleaseFailure{"ReleaseDC", {"ReleaseDC"}, {"Release Device Context Failed."}},
        // A window that stays keeps its class in use, so unregistering fails as well.
        ReleaseFailure{"DestroyWindow",
                       {"DestroyWindow", "UnregisterClassA"},
                       {"Could Not Release hWnd.", "Could Not Unregister Class."}},
        ReleaseFailure{"UnregisterClassA", {"UnregisterClassA"}, {"Could Not Unregister Class."}}),
    [](const ::testing::TestParamInfo<ReleaseFailure>& info) { return std::string(info.param.step); });

TEST_F(ShellTest, TeardownWithEveryReleaseFailingReportsEachAndStillClearsTheHandles) {
    ASSERT_TRUE(CreateFullscreen());
    for (const char* step :
         {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow", "UnregisterClassA"}) {
        fakewin32::FailCall(step);
    }
    DestroyDemoWindow();
    Names texts;
    for (const fakewin32::MessageBoxRecord& box : fakewin32::MessageBoxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, (Names{"Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                            "Release Device Context Failed.", "Could Not Release hWnd.",
                            "Could Not Unregister Class."}));
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_EQ(WindowDC, nullptr);
    EXPECT_EQ(GLContext, nullptr);
    EXPECT_EQ(AppInstance, nullptr);
}

TEST_F(ShellTest, TeardownWithNothingHeldOnlyUnregistersTheClass) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.lpszClassName = "OpenGL";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    fakewin32::ClearCalls();
    Fullscreen = false;

    DestroyDemoWindow();
    EXPECT_EQ(CallTexts("UnregisterClassA"), Names{"UnregisterClassA(OpenGL, null)"});
    EXPECT_EQ(fakewin32::CallNames(), Names{"UnregisterClassA"});
}

}  // namespace
