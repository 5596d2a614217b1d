// The Win32 core over the SDL set where no display is needed: the clock, the class registry, frame
// metrics, the module, icon and cursor, the quit message, made-up handles, and what the display
// calls do when there is no display at all.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include <windows.h>

namespace {

LRESULT CALLBACK IgnoringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSA ClassNamed(const char* name, HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = IgnoringProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    return windowClass;
}

uint64_t BootTimeMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + now.tv_nsec / 1000000u;
}

// Every test here runs as if no display were there, whatever the caller's environment has.
class Win32WithoutDisplay : public testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
};

TEST_F(Win32WithoutDisplay, GetTickCountIsTheBootClockInMillisecondsCutTo32Bits) {
    uint64_t before = BootTimeMilliseconds();
    DWORD tick = GetTickCount();
    uint64_t after = BootTimeMilliseconds();
    // Compared modulo 2^32, where the counter lives.
    EXPECT_LE(static_cast<DWORD>(tick - static_cast<DWORD>(before)),
              static_cast<DWORD>(after - before));

    usleep(50 * 1000);
    DWORD later = GetTickCount();
    EXPECT_GE(static_cast<DWORD>(later - tick), 49u);
    EXPECT_LT(static_cast<DWORD>(later - tick), 1000u);
}

TEST_F(Win32WithoutDisplay, ClassesAreKnownByTheirNameAndInstance) {
    HINSTANCE program = GetModuleHandleA(NULL);
    HINSTANCE other = reinterpret_cast<HINSTANCE>(&program);  // any other instance value
    WNDCLASSA windowClass = ClassNamed("RegistryTest", program);
    EXPECT_NE(0, RegisterClassA(&windowClass));
    EXPECT_EQ(0, RegisterClassA(&windowClass)) << "registered twice";
    WNDCLASSA otherInstance = ClassNamed("RegistryTest", other);
    EXPECT_NE(0, RegisterClassA(&otherInstance)) << "another instance has classes of its own";

    EXPECT_FALSE(UnregisterClassA("NoSuchClass", program));
    EXPECT_FALSE(UnregisterClassA("RegistryTest", NULL));
    EXPECT_TRUE(UnregisterClassA("RegistryTest", program));
    EXPECT_FALSE(UnregisterClassA("RegistryTest", program)) << "already unregistered";
    EXPECT_TRUE(UnregisterClassA("RegistryTest", other));
    EXPECT_NE(0, RegisterClassA(&windowClass)) << "a name is free again once unregistered";
    EXPECT_TRUE(UnregisterClassA("RegistryTest", program));
}

TEST_F(Win32WithoutDisplay, ClassesWithoutAProcedureOrANameAreRefused) {
    WNDCLASSA noProcedure = ClassNamed("NoProcedure", NULL);
    noProcedure.lpfnWndProc = nullptr;
    EXPECT_EQ(0, RegisterClassA(&noProcedure));
    WNDCLASSA noName = ClassNamed(nullptr, NULL);
    EXPECT_EQ(0, RegisterClassA(&noName));
    WNDCLASSA emptyName = ClassNamed("", NULL);
    EXPECT_EQ(0, RegisterClassA(&emptyName));
    EXPECT_EQ(0, RegisterClassA(nullptr));
}

TEST_F(Win32WithoutDisplay, AdjustWindowRectExGrowsTheClientAreaByTheStylesFrame) {
    RECT popup = {0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&popup, WS_POPUP, FALSE, WS_EX_APPWINDOW));
    EXPECT_EQ(0, popup.left);
    EXPECT_EQ(0, popup.top);
    EXPECT_EQ(640, popup.right);
    EXPECT_EQ(480, popup.bottom);

    RECT framed = {0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&framed, WS_OVERLAPPEDWINDOW, FALSE,
                                   WS_EX_APPWINDOW | WS_EX_WINDOWEDGE));
    EXPECT_EQ(-8, framed.left);
    EXPECT_EQ(-31, framed.top);  // sizing frame and caption bar
    EXPECT_EQ(648, framed.right);
    EXPECT_EQ(488, framed.bottom);

    EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_POPUP, FALSE, 0));
}

TEST_F(Win32WithoutDisplay, TheModuleIconAndCursorAreThePredefinedOnes) {
    HMODULE program = GetModuleHandleA(NULL);
    EXPECT_NE(nullptr, program);
    EXPECT_EQ(program, GetModuleHandleA(NULL));
    EXPECT_EQ(nullptr, GetModuleHandleA("user32.dll"));

    EXPECT_NE(nullptr, LoadIconA(NULL, IDI_WINLOGO));
    EXPECT_NE(nullptr, LoadCursorA(NULL, IDC_ARROW));
    EXPECT_EQ(nullptr, LoadIconA(NULL, MAKEINTRESOURCEA(1)));
    EXPECT_EQ(nullptr, LoadIconA(program, IDI_WINLOGO)) << "the program has no icon resources";
    EXPECT_EQ(nullptr, LoadCursorA(NULL, "arrow"));
}

TEST_F(Win32WithoutDisplay, TheQuitMessageComesOnce) {
    MSG message = {};
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    PostQuitMessage(42);
    ASSERT_TRUE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    EXPECT_EQ(42u, message.wParam);
    EXPECT_EQ(nullptr, message.hwnd);
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(nullptr, NULL, 0, 0, PM_REMOVE));
}

TEST_F(Win32WithoutDisplay, MadeUpHandlesFailAsTheRealCallsDo) {
    // Pointers to memory that is not a record of the stand-in's: looked up, never followed.
    char junk[64] = {};
    HWND window = reinterpret_cast<HWND>(junk);
    HDC dc = reinterpret_cast<HDC>(junk);
    HGLRC context = reinterpret_cast<HGLRC>(junk);
    PIXELFORMATDESCRIPTOR descriptor = {};
    MSG message = {};
    message.hwnd = window;
    message.message = WM_KEYDOWN;

    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(DestroyWindow(NULL));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_FALSE(SetForegroundWindow(window));
    EXPECT_EQ(nullptr, SetFocus(window));
    EXPECT_EQ(nullptr, GetDC(window));
    EXPECT_EQ(0, ReleaseDC(window, dc));
    EXPECT_EQ(0, ChoosePixelFormat(dc, &descriptor));
    EXPECT_FALSE(SetPixelFormat(dc, 1, &descriptor));
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_EQ(nullptr, wglCreateContext(dc));
    EXPECT_FALSE(wglMakeCurrent(dc, context));
    EXPECT_FALSE(wglDeleteContext(context));
    EXPECT_TRUE(wglMakeCurrent(NULL, NULL)) << "releasing needs no context";
    EXPECT_EQ(0, DispatchMessageA(&message));
    EXPECT_TRUE(TranslateMessage(&message)) << "a key message, though nothing is posted";
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(0, DefWindowProcA(window, WM_CLOSE, 0, 0));
}

TEST_F(Win32WithoutDisplay, WindowsAndDisplayModesFailButTheDesktopModeCanAlwaysBeRestored) {
    WNDCLASSA windowClass = ClassNamed("NoDisplay", GetModuleHandleA(NULL));
    ASSERT_NE(0, RegisterClassA(&windowClass));
    EXPECT_EQ(nullptr, CreateWindowExA(0, "NoDisplay", "t", WS_POPUP, 0, 0, 640, 480, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL));
    EXPECT_EQ(nullptr, CreateWindowExA(0, "Unregistered", "t", WS_POPUP, 0, 0, 640, 480, NULL,
                                       NULL, GetModuleHandleA(NULL), NULL));
    EXPECT_TRUE(UnregisterClassA("NoDisplay", GetModuleHandleA(NULL)));

    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_EQ(DISP_CHANGE_FAILED, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(NULL, 0));
}

TEST_F(Win32WithoutDisplay, ShowCursorKeepsTheDisplayCounter) {
    EXPECT_EQ(-1, ShowCursor(FALSE));
    EXPECT_EQ(-2, ShowCursor(FALSE));
    EXPECT_EQ(-1, ShowCursor(TRUE));
    EXPECT_EQ(0, ShowCursor(TRUE));
    EXPECT_EQ(1, ShowCursor(TRUE));
    EXPECT_EQ(0, ShowCursor(FALSE));
}

TEST_F(Win32WithoutDisplay, MessageBoxesWriteToStandardErrorAndAnswerNoOrOk) {
    testing::internal::CaptureStderr();
    int question = MessageBoxA(NULL, "Two\nlines?", "CAPTION", MB_YESNO | MB_ICONEXCLAMATION);
    int notice = MessageBoxA(NULL, "Done.", "NOTICE", MB_ICONSTOP);
    int plain = MessageBoxA(NULL, nullptr, nullptr, 0);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(IDNO, question);
    EXPECT_EQ(IDOK, notice);
    EXPECT_EQ(IDOK, plain);
    EXPECT_EQ("CAPTION: Two\nlines?\n"
              "CAPTION: no display to ask on; answered No\n"
              "NOTICE: Done.\n"
              "NOTICE: no display to ask on; answered OK\n"
              "Error: \n"
              "Error: no display to ask on; answered OK\n",
              errors);
}

}  // namespace
