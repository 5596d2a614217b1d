// The recording Win32 fake itself: the behaviour the shell tests lean on.
#include "fake_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<UINT> Received;

LRESULT CALLBACK RecordingProc(HWND, UINT message, WPARAM, LPARAM) {
    Received.push_back(message);
    return 42;
}

class FakeWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        fakewin32::Reset();
        Received.clear();
    }

    HWND MakeWindow(const char* className = "Test") {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = className;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, className, "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    }
};

TEST_F(FakeWin32Test, DeliversPostedMessagesInOrderThenQuitOnceQueueIsEmpty) {
    HWND window = MakeWindow();
    fakewin32::PostWindowMessage(WM_KEYDOWN, VK_ESCAPE);
    PostQuitMessage(5);
    fakewin32::PostWindowMessage(WM_KEYUP, VK_ESCAPE);

    MSG message = {};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(DispatchMessageA(&message), 42);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYUP));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 5u);
    EXPECT_EQ(message.hwnd, nullptr);

    // Nothing left: the record is not touched, as with the real call.
    message.wParam = 99;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 99u);
    EXPECT_EQ(Received, std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(FakeWin32Test, FailsTheChosenCallsOnlyAndRecordsThem) {
    fakewin32::FailCall("GetDC", 2);
    HWND window = MakeWindow();
    HDC first = GetDC(window);
    HDC second = GetDC(window);
    HDC third = GetDC(window);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_NE(first, third);
    std::vector<fakewin32::Call> calls = fakewin32::CallsNamed("GetDC");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[0].failed);
    EXPECT_TRUE(calls[1].failed);
    EXPECT_EQ(calls[1].Text(), "GetDC(hwnd1)");

    fakewin32::FailCall("DestroyWindow");
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(fakewin32::LiveWindowCount(), 1);  // a failed call has no effect
}

TEST_F(FakeWin32Test, KeepsWindowsClassesAndContextsConsistent) {
    HWND window = MakeWindow("OpenGL");
    EXPECT_FALSE(UnregisterClassA("OpenGL", nullptr)) << "a class in use cannot go";
    WNDCLASSA again = {};
    again.lpfnWndProc = RecordingProc;
    again.lpszClassName = "OpenGL";
    EXPECT_EQ(RegisterClassA(&again), 0) << "registered twice";

    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR descriptor = {};
    EXPECT_EQ(wglCreateContext(dc), nullptr) << "no pixel format yet";
    int format = ChoosePixelFormat(dc, &descriptor);
    ASSERT_TRUE(SetPixelFormat(dc, format, &descriptor));
    HGLRC context = wglCreateContext(dc);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(wglMakeCurrent(dc, context));
    EXPECT_EQ(fakewin32::CurrentContext(), context);
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(fakewin32::CurrentContext(), nullptr);
    EXPECT_FALSE(wglDeleteContext(context));

    EXPECT_FALSE(ReleaseDC(nullptr, dc)) << "not the window's";
    EXPECT_TRUE(ReleaseDC(window, dc));
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA("OpenGL", nullptr));
    EXPECT_FALSE(fakewin32::ClassRegistered("OpenGL"));
    EXPECT_EQ(fakewin32::CallsNamed("ReleaseDC")[1].Text(), "ReleaseDC(hwnd1, hdc1)");
}

TEST_F(FakeWin32Test, AnswersMessageBoxesFromTheScriptThenAsNobodyWould) {
    fakewin32::ScriptAnswers({IDYES});
    EXPECT_EQ(MessageBoxA(nullptr, "q?", "C", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "q?", "C", MB_YESNO | MB_ICONEXCLAMATION), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "C", MB_ICONSTOP), IDOK);
    fakewin32::FailCall("MessageBoxA");
    EXPECT_EQ(MessageBoxA(nullptr, "x", "C", 0), 0);
    ASSERT_EQ(fakewin32::MessageBoxes().size(), 4u);
    EXPECT_EQ(fakewin32::CallsNamed("MessageBoxA")[1].Text(), "MessageBoxA(null, q?, C, 0x34) -> 7");
}

TEST_F(FakeWin32Test, ClockStepsAndWrapsAt32Bits) {
    fakewin32::SetTickCount(0xFFFFFFFEu);
    fakewin32::SetTickStep(1);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFEu);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
    EXPECT_EQ(GetTickCount(), 0u);
    fakewin32::OnCall("GetTickCount", [](int nth) {
        if (nth == 4) fakewin32::SetTickCount(500);
    });
    EXPECT_EQ(GetTickCount(), 500u);
}

TEST_F(FakeWin32Test, HooksRunBeforeTheCallIsRecordedAndCanFeedTheQueue) {
    std::vector<int> seen;
    fakewin32::OnCall("PeekMessageA", [&](int nth) {
        seen.push_back(nth);
        if (nth == 2) fakewin32::PostWindowMessage(WM_KEYDOWN, VK_F1);
        fakewin32::Note("hook");
    });
    MSG message = {};
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_F1));
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(fakewin32::CallNames(),
              (std::vector<std::string>{"hook", "PeekMessageA", "hook", "PeekMessageA"}));
}

TEST_F(FakeWin32Test, ResetForgetsEverything) {
    MakeWindow();
    ShowCursor(FALSE);
    DEVMODEA mode = {};
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    PostQuitMessage(0);
    fakewin32::SetTickCount(9);
    fakewin32::Reset();
    EXPECT_TRUE(fakewin32::Calls().empty());
    EXPECT_EQ(fakewin32::LiveWindow(), nullptr);
    EXPECT_FALSE(fakewin32::ClassRegistered("Test"));
    EXPECT_EQ(fakewin32::CursorCounter(), 0);
    EXPECT_FALSE(fakewin32::DisplayModeChanged());
    EXPECT_FALSE(fakewin32::QuitPending());
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_EQ(fakewin32::HandleName(MakeWindow()), "hwnd1");
}

}  // namespace
