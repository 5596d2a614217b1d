// Windows, pixel formats, rendering contexts and display modes of the Win32 core over the SDL
// set, on a real X server with Mesa's OpenGL.
#include <GL/gl.h>

#include <string>

#include "veskop_run.h"
#include "platform_sdl_fixture.h"

namespace {

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return mode;
}

GLint Integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

using StandInWindow = StandInTest;

TEST_F(StandInWindow, AFramedWindowMadeFromAdjustWindowRectExHasTheClientAreaAsked) {
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 640, 480,
                             "framed");
    ASSERT_NE(nullptr, window);
    // The size is sent before CreateWindowExA returns.
    ASSERT_EQ(1u, Received().size());
    EXPECT_EQ(static_cast<UINT>(WM_SIZE), Received()[0].message);
    EXPECT_EQ(640, LOWORD(Received()[0].lParam));
    EXPECT_EQ(480, HIWORD(Received()[0].lParam));

    EXPECT_FALSE(ShowWindow(window, SW_SHOW)) << "it was hidden before";
    XWindow shown = Server().WaitForWindow("framed", 5.0);
    ASSERT_TRUE(shown.found());
    EXPECT_EQ(640, shown.width);
    EXPECT_EQ(480, shown.height);
    EXPECT_EQ(8, shown.x);  // inside the frame whose outer corner is at 0, 0
    EXPECT_EQ(31, shown.y);

    ASSERT_NE(nullptr, MakeCurrentContext(window));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(640, viewport[2]);
    EXPECT_EQ(480, viewport[3]);
}

TEST_F(StandInWindow, TheProgramsPixelFormatGivesADoubleBufferedCompatibilityContext) {
    HWND window = MakeWindow(WS_POPUP, 200, 100, "context");
    ASSERT_NE(nullptr, window);
    HDC dc = GetDC(window);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(dc, GetDC(window)) << "a window has one device context";
    EXPECT_EQ(nullptr, wglCreateContext(dc)) << "no pixel format yet";

    PIXELFORMATDESCRIPTOR descriptor = WindowDescriptor(32);
    int format = ChoosePixelFormat(dc, &descriptor);
    ASSERT_NE(0, format);
    ASSERT_TRUE(SetPixelFormat(dc, format, &descriptor));
    EXPECT_TRUE(SetPixelFormat(dc, format, &descriptor)) << "the same format again";
    EXPECT_FALSE(SetPixelFormat(dc, format + 1, &descriptor)) << "a window's format is set once";

    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(nullptr, context);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_NE(std::string::npos, version.find("Compatibility Profile")) << version;
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
    EXPECT_EQ(32, Integer(GL_DEPTH_BITS)) << "Mesa gives the 32 bits asked for";
    EXPECT_EQ(8, Integer(GL_RED_BITS));

    // What the swap presents is what the screen shows.
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(Server().WaitForWindow("context", 5.0).found());
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(SwapBuffers(dc));
    glFinish();
    Screenshot shot = Server().TakeScreenshot(TestArtifactDirectory() + "/red.png");
    ASSERT_TRUE(shot.ok());
    EXPECT_EQ((std::array<std::uint8_t, 3>{255, 0, 0}), shot.At(100, 50));
    EXPECT_EQ((std::array<std::uint8_t, 3>{0, 0, 0}), shot.At(300, 300));

    ASSERT_TRUE(wglMakeCurrent(NULL, NULL));
    EXPECT_EQ(nullptr, glGetString(GL_VERSION));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_FALSE(wglDeleteContext(context)) << "deleted already";
    EXPECT_FALSE(wglMakeCurrent(dc, context));
}

TEST_F(StandInWindow, ADepthBufferIsTheDeepestThereIsUpToTheOneAskedFor) {
    HWND deep = MakeWindow(WS_POPUP, 64, 64);
    HWND shallow = MakeWindow(WS_POPUP, 64, 64);
    HWND none = MakeWindow(WS_POPUP, 64, 64);
    ASSERT_TRUE(deep != nullptr && shallow != nullptr && none != nullptr);
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.cDepthBits = 48;
    int deepFormat = ChoosePixelFormat(GetDC(deep), &descriptor);
    descriptor.cDepthBits = 24;
    int shallowFormat = ChoosePixelFormat(GetDC(shallow), &descriptor);
    descriptor.cDepthBits = 0;
    int noneFormat = ChoosePixelFormat(GetDC(none), &descriptor);
    EXPECT_NE(0, deepFormat);
    EXPECT_NE(deepFormat, shallowFormat);
    EXPECT_NE(shallowFormat, noneFormat);

    ASSERT_NE(nullptr, MakeCurrentContext(deep, 48));
    EXPECT_EQ(32, Integer(GL_DEPTH_BITS));
    ASSERT_NE(nullptr, MakeCurrentContext(shallow, 24));
    EXPECT_GE(Integer(GL_DEPTH_BITS), 24);
    ASSERT_NE(nullptr, MakeCurrentContext(none, 0));
    EXPECT_EQ(0, Integer(GL_DEPTH_BITS));
}

TEST_F(StandInWindow, AnotherPixelFormatRemakesTheHiddenWindowWithIt) {
    HWND window = MakeWindow(WS_POPUP, 100, 100, "single");
    ASSERT_NE(nullptr, window);
    SDL_Window* before = SdlWindowOf(window);
    HGLRC context = MakeCurrentContext(window, 0);
    ASSERT_NE(nullptr, context);
    EXPECT_NE(before, SdlWindowOf(window)) << "SDL fixes a window's visual when it makes it";
    EXPECT_EQ(0, Integer(GL_DEPTH_BITS));

    // The handle still leads to the one window, and its messages still arrive.
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(Server().WaitForWindow("single", 5.0).found());
    int windowsNamedSingle = 0;
    for (const XWindow& shown : Server().TopLevelWindows()) windowsNamedSingle += shown.title == "single";
    EXPECT_EQ(1, windowsNamedSingle);
    Settle();
    PushKey(window, SDL_SCANCODE_F2, SDLK_F2, 0, true);
    std::vector<MSG> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(window, messages[0].hwnd);

    // A context is for windows of its own pixel format.
    HWND deepWindow = MakeWindow(WS_POPUP, 100, 100);
    ASSERT_NE(nullptr, MakeCurrentContext(deepWindow));
    EXPECT_FALSE(wglMakeCurrent(GetDC(deepWindow), context));
    EXPECT_TRUE(wglMakeCurrent(GetDC(window), context));
}

TEST_F(StandInWindow, ContextsOutliveTheirWindowAndDeletingTheCurrentOneReleasesIt) {
    HWND first = MakeWindow(WS_POPUP, 64, 64);
    HWND second = MakeWindow(WS_POPUP, 64, 64);
    HGLRC firstContext = MakeCurrentContext(first);
    HGLRC secondContext = MakeCurrentContext(second);
    ASSERT_TRUE(firstContext != nullptr && secondContext != nullptr);
    ASSERT_TRUE(wglMakeCurrent(GetDC(first), firstContext));
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);  // state of the first context only
    ASSERT_TRUE(wglMakeCurrent(GetDC(second), secondContext));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(0.0f, clear[1]);

    EXPECT_TRUE(wglDeleteContext(secondContext));
    EXPECT_EQ(nullptr, glGetString(GL_VERSION));

    ASSERT_TRUE(wglMakeCurrent(GetDC(first), firstContext));
    EXPECT_TRUE(DestroyWindow(first));
    EXPECT_EQ(nullptr, glGetString(GL_VERSION)) << "no context current on a window that is gone";
    EXPECT_TRUE(wglMakeCurrent(NULL, NULL));
    EXPECT_TRUE(wglDeleteContext(firstContext));
}

TEST_F(StandInWindow, DestroyWindowFailsForWindowsThatAreGoneAndFreesTheClass) {
    HWND window = MakeWindow(WS_POPUP, 64, 64, "short-lived");
    ASSERT_NE(nullptr, window);
    HDC dc = GetDC(window);
    ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(Server().WaitForWindow("short-lived", 5.0).found());
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(NULL))) << "it has a window";
    EXPECT_EQ(0, ReleaseDC(MakeWindow(WS_POPUP, 8, 8), dc)) << "another window's device context";
    EXPECT_EQ(1, ReleaseDC(window, dc));

    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(Server().WaitForWindowGone("short-lived", 5.0));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(nullptr, GetDC(window));
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_EQ(nullptr, CreateWindowExA(0, "NotRegistered", "x", WS_POPUP, 0, 0, 8, 8, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL));
}

TEST_F(StandInWindow, OnlyTheModesTheDisplayOffersAreTakenAndAPopupOfThatSizeRunsInIt) {
    // This server offers exactly one mode, 640x480 at 24 bits.
    DEVMODEA offered = Mode(640, 480, 32);
    DEVMODEA trueColour = Mode(640, 480, 24);
    DEVMODEA fewColours = Mode(640, 480, 16);
    DEVMODEA otherSize = Mode(800, 600, 32);
    DEVMODEA tooShort = Mode(640, 480, 32);
    tooShort.dmSize = 100;  // ends before the size fields
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&trueColour, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&fewColours, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&otherSize, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_BADMODE, ChangeDisplaySettingsA(&tooShort, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(NULL, 0));

    // Without a mode change a popup is an ordinary borderless window.
    HWND before = MakeWindow(WS_POPUP, 640, 480);
    ASSERT_NE(nullptr, before);
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf(before)) & SDL_WINDOW_FULLSCREEN);

    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&offered, CDS_FULLSCREEN));
    HWND fullscreen = MakeWindow(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 640, 480, "full");
    HWND smaller = MakeWindow(WS_POPUP, 320, 240);
    HWND framed = MakeWindow(WS_OVERLAPPEDWINDOW, 640, 480);
    ASSERT_TRUE(fullscreen != nullptr && smaller != nullptr && framed != nullptr);
    ASSERT_NE(nullptr, MakeCurrentContext(fullscreen));  // remade windows keep the mode
    ShowWindow(fullscreen, SW_SHOW);
    EXPECT_TRUE(SDL_GetWindowFlags(SdlWindowOf(fullscreen)) & SDL_WINDOW_FULLSCREEN);
    SDL_DisplayMode mode;
    ASSERT_EQ(0, SDL_GetWindowDisplayMode(SdlWindowOf(fullscreen), &mode));
    EXPECT_EQ(640, mode.w);
    EXPECT_EQ(480, mode.h);
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf(smaller)) & SDL_WINDOW_FULLSCREEN);
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf(framed)) & SDL_WINDOW_FULLSCREEN);
    XWindow shown = Server().WaitForWindow("full", 5.0);
    EXPECT_EQ(0, shown.x);
    EXPECT_EQ(0, shown.y);
    EXPECT_EQ(640, shown.width);

    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(NULL, 0));
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf(fullscreen)) & SDL_WINDOW_FULLSCREEN);
}

TEST_F(StandInWindow, ShowCursorHidesTheCursorWhileTheCounterIsBelowZero) {
    ASSERT_NE(nullptr, MakeWindow(WS_POPUP, 64, 64));
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(-1, ShowCursor(FALSE));
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(-2, ShowCursor(FALSE));
    EXPECT_EQ(-1, ShowCursor(TRUE));
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(0, ShowCursor(TRUE));
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
}

}  // namespace
