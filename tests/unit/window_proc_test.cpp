// The window procedure: what each message changes, what it answers, and what goes on to the
// default processing. (WM_SIZE changes the projection; the GL tests look at that.)
#include "app/demo_window.h"
#include "shell_fixture.h"

namespace {

const LRESULT DefaultResult = 0x0DEF;

class WindowProcTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(CreateDemoWindow("VESKOP", 640, 480, 32, false));
        fakewin32::ClearCalls();
        fakewin32::SetDefWindowProcResult(DefaultResult);
    }

    // Sends one message to the procedure, as the system does to the demo window.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        return DemoWindowProc(MainWindow, message, wParam, lParam);
    }
};

WPARAM Words(WORD low, WORD high) { return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16); }

TEST_F(WindowProcTest, ActivationFollowsTheMinimisedFlagInTheHighWordOnly) {
    const WORD Inactive = 0, Active = 1, ClickActive = 2;
    struct Row {
        WPARAM wParam;
        bool active;
    };
    for (Row row : {Row{Words(Inactive, 1), false}, Row{Words(Active, 0), true},
                    Row{Words(Active, 0x8000), false}, Row{Words(Inactive, 0), true},
                    Row{Words(ClickActive, 0), true}}) {
        WindowActive = !row.active;
        EXPECT_EQ(Send(WM_ACTIVATE, row.wParam), 0);
        EXPECT_EQ(WindowActive, row.active) << std::hex << row.wParam;
    }
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 0);
}

TEST_F(WindowProcTest, RefusesScreenSaverAndMonitorPowerOnlyForTheExactCodes) {
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 0);

    // With any of the low four bits set they are other commands, and go to default processing
    // with their arguments unchanged.
    for (WPARAM code : {WPARAM(SC_SCREENSAVE | 1), WPARAM(SC_SCREENSAVE | 0xF),
                        WPARAM(SC_MONITORPOWER | 2), WPARAM(SC_CLOSE)}) {
        EXPECT_EQ(Send(WM_SYSCOMMAND, code, 0x1234), DefaultResult);
    }
    EXPECT_EQ(CallTexts("DefWindowProcA"),
              (std::vector<std::string>{"DefWindowProcA(hwnd1, 0x112, 0xf141, 0x1234)",
                                        "DefWindowProcA(hwnd1, 0x112, 0xf14f, 0x1234)",
                                        "DefWindowProcA(hwnd1, 0x112, 0xf172, 0x1234)",
                                        "DefWindowProcA(hwnd1, 0x112, 0xf060, 0x1234)"}));
}

TEST_F(WindowProcTest, CloseAsksForQuitWithZero) {
    EXPECT_EQ(Send(WM_CLOSE, 0), 0);
    EXPECT_EQ(CallTexts("PostQuitMessage"), std::vector<std::string>{"PostQuitMessage(0)"});
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 0);
    MSG message = {};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
}

TEST_F(WindowProcTest, KeyMessagesSetAndClearTheirEntries) {
    EXPECT_EQ(Send(WM_KEYDOWN, 'A', 0x001E0001), 0);
    EXPECT_TRUE(KeyDown[unsigned('A')]);
    EXPECT_EQ(Send(WM_KEYDOWN, VK_F1), 0);
    EXPECT_EQ(Send(WM_KEYUP, 'A'), 0);
    EXPECT_FALSE(KeyDown[unsigned('A')]);
    EXPECT_TRUE(KeyDown[VK_F1]) << "other keys are left alone";

    // An entry cleared while the key is held comes back with the next auto-repeat.
    KeyDown[VK_F1] = false;
    Send(WM_KEYDOWN, VK_F1, 0x40000001);
    EXPECT_TRUE(KeyDown[VK_F1]);
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 0);
}

TEST_F(WindowProcTest, KeyCodesPastTheTableAreIgnored) {
    for (WPARAM code : {WPARAM(0x100), WPARAM(0x141), WPARAM(0xFFFFFFFF)}) {
        Send(WM_KEYDOWN, code);
        Send(WM_KEYUP, code);
    }
    Send(WM_KEYDOWN, 0x141);
    for (int key = 0; key < 256; ++key) EXPECT_FALSE(KeyDown[key]) << key;
}

TEST_F(WindowProcTest, SystemKeysAreNotRecorded) {
    const WPARAM VkF10 = 0x79;
    EXPECT_EQ(Send(WM_SYSKEYDOWN, VkF10), DefaultResult);
    EXPECT_EQ(Send(WM_SYSKEYDOWN, 'X', 0x20000001), DefaultResult);  // Alt held
    EXPECT_FALSE(KeyDown[VkF10]);
    EXPECT_FALSE(KeyDown[unsigned('X')]);
    KeyDown[unsigned('X')] = true;
    EXPECT_EQ(Send(WM_SYSKEYUP, 'X'), DefaultResult);
    EXPECT_TRUE(KeyDown[unsigned('X')]);
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 3);
}

TEST_F(WindowProcTest, SizeIsHandledAndOtherMessagesGoToDefaultProcessing) {
    EXPECT_EQ(Send(WM_SIZE, 0, 0x01E00280), 0);
    EXPECT_EQ(fakewin32::CallCount("DefWindowProcA"), 0);

    const UINT WmDestroy = 0x0002, WmPaint = 0x000F, WmChar = 0x0102;
    for (UINT message : {WmDestroy, WmPaint, WmChar}) {
        fakewin32::ClearCalls();
        EXPECT_EQ(Send(message, 7, 9), DefaultResult);
        ASSERT_EQ(fakewin32::CallsNamed("DefWindowProcA").size(), 1u);
    }
    EXPECT_EQ(CallTexts("DefWindowProcA"),
              std::vector<std::string>{"DefWindowProcA(hwnd1, 0x102, 0x7, 0x9)"});
    EXPECT_EQ(fakewin32::CallCount("PostQuitMessage"), 0) << "destroying the window ends nothing";
}

}  // namespace
