// The message queue of the Win32 core over the SDL set: keys, the system keys, the notifications
// sent to the window procedure, the ways a window is closed, and message boxes. Display events
// are fed in through SDL's queue, or made for real on the test's X server.
#include <signal.h>

#include <cstdio>
#include <string>
#include <thread>

#include "platform_sdl_fixture.h"

namespace {

const LPARAM Released = 0xC0000001;  // a key-up message's lParam: was down, going up, once

struct Expected {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::string Describe(UINT message, WPARAM wParam, LPARAM lParam) {
    char text[64];
    std::snprintf(text, sizeof(text), "0x%x 0x%lx 0x%lx", message, static_cast<unsigned long>(wParam),
                  static_cast<unsigned long>(lParam));
    return text;
}

std::vector<std::string> Describe(const std::vector<Expected>& expected) {
    std::vector<std::string> texts;
    for (const Expected& entry : expected) texts.push_back(Describe(entry.message, entry.wParam, entry.lParam));
    return texts;
}

// Compared as text, so that a failure shows both lists: "message wParam lParam" in hexadecimal.
void ExpectMessages(const std::vector<MSG>& messages, const std::vector<Expected>& expected) {
    std::vector<std::string> actual;
    for (const MSG& message : messages) actual.push_back(Describe(message.message, message.wParam, message.lParam));
    EXPECT_EQ(Describe(expected), actual);
}

void ExpectReceived(const std::vector<ReceivedMessage>& received, const std::vector<Expected>& expected) {
    std::vector<std::string> actual;
    for (const ReceivedMessage& message : received) {
        actual.push_back(Describe(message.message, message.wParam, message.lParam));
    }
    EXPECT_EQ(Describe(expected), actual);
}

class StandInMessages : public StandInTest {
protected:
    void SetUp() override {
        StandInTest::SetUp();
        window_ = MakeWindow(WS_POPUP, 200, 150, "messages");
        ASSERT_NE(nullptr, window_);
        Settle();
    }

    // Retrieves, translates and dispatches every pending message, as a message loop does.
    std::vector<MSG> RunLoop() {
        std::vector<MSG> messages;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            messages.push_back(message);
            if (message.message == WM_QUIT) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return messages;
    }

    HWND window_ = nullptr;
};

TEST_F(StandInMessages, KeysArePostedInTheOrderTheyCameAndRepeatWithThePreviousStateBitSet) {
    PushKey(window_, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, true);
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, true);
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, true, true);
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, true, true);
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, false);
    PushKey(window_, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, false);
    std::vector<MSG> messages = RunLoop();
    ExpectMessages(messages, {{WM_KEYDOWN, 27, 1},
                              {WM_KEYDOWN, 0x71, 1},
                              {WM_KEYDOWN, 0x71, 0x40000001},
                              {WM_KEYDOWN, 0x71, 0x40000001},
                              {WM_KEYUP, 0x71, Released},
                              {WM_KEYUP, 27, Released}});  // no characters made in between
    for (const MSG& message : messages) EXPECT_EQ(window_, message.hwnd);
}

// The quit message waits for what was posted before it, and comes once.
TEST_F(StandInMessages, TheQuitMessageComesAfterThePostedMessagesOnlyOnce) {
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, true);
    PostQuitMessage(5);
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, false);
    ExpectMessages(TakeMessages(), {{WM_KEYDOWN, 0x71, 1}, {WM_KEYUP, 0x71, Released}, {WM_QUIT, 5, 0}});
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(StandInMessages, F10AndKeysWithAltHeldAreSystemKeysAndKeysNotReadPostNothing) {
    PushKey(window_, SDL_SCANCODE_F10, SDLK_F10, 0, true);
    PushKey(window_, SDL_SCANCODE_F10, SDLK_F10, 0, false);
    PushKey(window_, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true);
    PushKey(window_, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_LALT, true);
    PushKey(window_, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_LALT, false);
    PushKey(window_, SDL_SCANCODE_LALT, SDLK_LALT, 0, false);
    PushKey(window_, SDL_SCANCODE_F3, SDLK_F3, KMOD_LCTRL | KMOD_LALT, true);  // AltGr-like
    PushKey(window_, SDL_SCANCODE_A, SDLK_a, 0, true);
    PushKey(window_, SDL_SCANCODE_RETURN, SDLK_RETURN, 0, true);
    const LPARAM alt = 0x20000000;
    ExpectMessages(RunLoop(), {{WM_SYSKEYDOWN, 0x79, 1},
                               {WM_SYSKEYUP, 0x79, Released},
                               {WM_SYSKEYDOWN, 27, alt | 1},
                               {WM_SYSKEYUP, 27, alt | Released},
                               {WM_KEYDOWN, 0x72, alt | 1}});
}

TEST_F(StandInMessages, AltF4GoesThroughTheDefaultProcedureToAClose) {
    PushKey(window_, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true);
    PushKey(window_, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, true);
    std::vector<MSG> messages = RunLoop();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), messages.back().message);
    EXPECT_EQ(0u, messages.back().wParam);
    ExpectReceived(Received(), {{WM_SYSKEYDOWN, 0x73, 0x20000001},
                                {WM_SYSCOMMAND, SC_CLOSE, 0},
                                {WM_CLOSE, 0, 0}});
}

TEST_F(StandInMessages, SizeActivationAndCloseAreSentToTheProcedureNotQueued) {
    PushWindowEvent(window_, SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
    PushWindowEvent(window_, SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);  // no change
    PushWindowEvent(window_, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(window_, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(window_, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(window_, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(window_, SDL_WINDOWEVENT_FOCUS_LOST);  // minimising has said so already
    PushWindowEvent(window_, SDL_WINDOWEVENT_RESTORED);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    const WPARAM minimised = 0x10000;
    ExpectReceived(Received(), {{WM_SIZE, 0, (600 << 16) | 800},
                                {WM_ACTIVATE, 1, 0},
                                {WM_ACTIVATE, 0, 0},  // inactive, not minimised
                                {WM_ACTIVATE, 1, 0},
                                {WM_ACTIVATE, minimised, 0},
                                {WM_SIZE, 1, 0},  // SIZE_MINIMIZED, 0 x 0
                                {WM_ACTIVATE, 1, 0},
                                {WM_SIZE, 0, (150 << 16) | 200}});  // SDL's own size of it
}

// The display is asked for new events at most every few milliseconds, but what SDL already holds
// is delivered at once: the peek right after another still sends the activation.
TEST_F(StandInMessages, EventsSdlHoldsArriveAtThePeekRightAfterAnother) {
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    PushWindowEvent(window_, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_FALSE(PeekMessageA(&message, NULL, 0, 0, PM_REMOVE));
    ExpectReceived(Received(), {{WM_ACTIVATE, 1, 0}});
}

TEST_F(StandInMessages, TheWindowManagersCloseBoxSendsAClose) {
    ShowWindow(window_, SW_SHOW);
    XWindow shown = Server().WaitForWindow("messages", 5.0);
    ASSERT_TRUE(shown.found());
    Settle();
    ASSERT_TRUE(Server().CloseWindow(shown));
    std::vector<MSG> messages;
    double deadline = NowSeconds() + 5.0;
    while ((messages.empty() || messages.back().message != WM_QUIT) && NowSeconds() < deadline) {
        std::vector<MSG> more = RunLoop();
        messages.insert(messages.end(), more.begin(), more.end());
        SleepSeconds(0.01);
    }
    ExpectMessages(messages, {{WM_QUIT, 0, 0}});
    ExpectReceived(Received(), {{WM_SYSCOMMAND, SC_CLOSE, 0}, {WM_CLOSE, 0, 0}});
}

TEST_F(StandInMessages, SigtermAndSigintCloseTheWindow) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        Received().clear();
        raise(signalNumber);
        ExpectMessages(RunLoop(), {{WM_QUIT, 0, 0}});
        ExpectReceived(Received(), {{WM_SYSCOMMAND, SC_CLOSE, 0}, {WM_CLOSE, 0, 0}});
    }
}

TEST_F(StandInMessages, TheMouseAndTheDisplaysOwnChatterPostNothing) {
    ShowWindow(window_, SW_SHOW);
    SetFocus(window_);
    ASSERT_TRUE(Server().WaitForWindow("messages", 5.0).found());
    ASSERT_EQ(0, Server().Run({"xdotool", "mousemove", "50", "50", "click", "1", "mousemove", "120",
                               "90", "click", "3"}).status);
    SleepSeconds(0.2);
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(SdlWindowOf(window_));
    SDL_PushEvent(&motion);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(StandInMessages, RealKeysReachTheFocusedWindowAndRepeatWhileHeld) {
    ShowWindow(window_, SW_SHOW);
    SetFocus(window_);
    ASSERT_TRUE(Server().WaitForWindow("messages", 5.0).found());
    Settle();
    // Longer than the server's auto-repeat delay (660 ms).
    ChildProcess hold({"xdotool", "keydown", "Escape", "sleep", "1.0", "keyup", "Escape"},
                      Server().ClientOptions());
    std::vector<MSG> messages;
    double deadline = NowSeconds() + 5.0;
    while ((messages.empty() || messages.back().message != WM_KEYUP) && NowSeconds() < deadline) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) messages.push_back(message);
        SleepSeconds(0.005);
    }
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), messages.front().message);
    EXPECT_EQ(1, messages.front().lParam);
    for (size_t i = 1; i + 1 < messages.size(); i++) {
        EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), messages[i].message);
        EXPECT_EQ(0x40000001, messages[i].lParam) << "a repeat";
    }
    EXPECT_EQ(Released, messages.back().lParam);
    for (const MSG& message : messages) EXPECT_EQ(27u, message.wParam);
}

TEST_F(StandInMessages, MessagesOfADestroyedWindowAreDropped) {
    HWND other = MakeWindow(WS_POPUP, 64, 64);
    ASSERT_NE(nullptr, other);
    Received().clear();  // its size at creation
    PushKey(other, SDL_SCANCODE_F2, SDLK_F2, 0, true);
    PushKey(other, SDL_SCANCODE_F2, SDLK_F2, 0, false);
    PushKey(window_, SDL_SCANCODE_F3, SDLK_F3, 0, true);
    MSG ofOther;
    ASSERT_TRUE(PeekMessageA(&ofOther, NULL, 0, 0, PM_REMOVE));  // all three now queued
    EXPECT_EQ(other, ofOther.hwnd);
    EXPECT_TRUE(DestroyWindow(other));
    EXPECT_EQ(0, DispatchMessageA(&ofOther));
    std::vector<MSG> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(window_, messages[0].hwnd);
    EXPECT_EQ(0x72u, messages[0].wParam);
    EXPECT_TRUE(Received().empty());
}

// Answers the next dialog titled `caption` with a key, from another thread, while MessageBoxA
// waits on this one.
std::thread AnswerDialog(const XvfbServer& server, std::string caption, std::string key) {
    return std::thread([&server, caption, key] {
        XWindow dialog = server.WaitForWindow(caption, 10.0);
        if (!dialog.found()) return;
        server.FocusWindow(dialog);
        server.TapKey(key);
    });
}

TEST_F(StandInMessages, MessageBoxesShowADialogAndKeepTheWindowsMessages) {
    PushKey(window_, SDL_SCANCODE_F2, SDLK_F2, 0, true);
    testing::internal::CaptureStderr();
    std::thread answer = AnswerDialog(Server(), "Question", "Return");
    int yes = MessageBoxA(NULL, "Go on?", "Question", MB_YESNO | MB_ICONEXCLAMATION);
    answer.join();
    answer = AnswerDialog(Server(), "Question", "Escape");
    int no = MessageBoxA(NULL, "Go on?", "Question", MB_YESNO | MB_ICONEXCLAMATION);
    answer.join();
    answer = AnswerDialog(Server(), "Notice", "Return");
    int ok = MessageBoxA(NULL, "Done.", "Notice", MB_ICONINFORMATION);
    answer.join();
    std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_EQ(IDYES, yes);
    EXPECT_EQ(IDNO, no);
    EXPECT_EQ(IDOK, ok);
    EXPECT_EQ("Question: Go on?\nQuestion: Go on?\nNotice: Done.\n", errors);
    std::vector<MSG> messages = TakeMessages();
    ASSERT_EQ(1u, messages.size()) << "the key that came before the boxes";
    EXPECT_EQ(0x71u, messages[0].wParam);
}

}  // namespace
