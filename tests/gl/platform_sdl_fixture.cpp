#include "platform_sdl_fixture.h"

#include <stdlib.h>

#include <memory>

namespace {

std::vector<ReceivedMessage> ReceivedMessages;

// Records every message; a close posts the quit message, as the program's procedure does, and
// the rest goes to the default procedure.
LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ReceivedMessages.push_back(ReceivedMessage{window, message, wParam, lParam});
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

const char StandInTest::ClassName[] = "StandInTest";

const XvfbServer& StandInTest::Server() {
    static std::unique_ptr<XvfbServer> server;
    if (!server) {
        server = std::make_unique<XvfbServer>(640, 480);
        setenv("DISPLAY", server->display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
    }
    return *server;
}

void StandInTest::SetUp() {
    ASSERT_TRUE(Server().ok());
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = RecordingProcedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = ClassName;
    ASSERT_NE(0, RegisterClassA(&windowClass));
    ReceivedMessages.clear();
}

void StandInTest::TearDown() {
    wglMakeCurrent(NULL, NULL);
    for (HGLRC context : contexts_) wglDeleteContext(context);  // those already deleted fail
    for (HWND window : windows_) DestroyWindow(window);
    ChangeDisplaySettingsA(NULL, 0);
    TakeMessages();  // a quit message left over
    EXPECT_TRUE(UnregisterClassA(ClassName, GetModuleHandleA(NULL)));
}

HWND StandInTest::MakeWindow(DWORD style, int width, int height, const char* title) {
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    HWND window = CreateWindowExA(0, ClassName, title, style, 0, 0, rect.right - rect.left,
                                  rect.bottom - rect.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (window != nullptr) windows_.push_back(window);
    return window;
}

PIXELFORMATDESCRIPTOR StandInTest::WindowDescriptor(BYTE depthBits) {
    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = depthBits;
    return descriptor;
}

HGLRC StandInTest::MakeCurrentContext(HWND window, BYTE depthBits) {
    PIXELFORMATDESCRIPTOR descriptor = WindowDescriptor(depthBits);
    HDC dc = GetDC(window);
    int format = ChoosePixelFormat(dc, &descriptor);
    if (format == 0 || !SetPixelFormat(dc, format, &descriptor)) return nullptr;
    HGLRC context = wglCreateContext(dc);
    if (context != nullptr) contexts_.push_back(context);
    if (context == nullptr || !wglMakeCurrent(dc, context)) return nullptr;
    return context;
}

std::vector<MSG> StandInTest::TakeMessages() {
    std::vector<MSG> messages;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) messages.push_back(message);
    return messages;
}

void StandInTest::Settle() {
    double end = NowSeconds() + 0.2;
    while (NowSeconds() < end) {
        TakeMessages();
        SleepSeconds(0.01);
    }
    ReceivedMessages.clear();
}

std::vector<ReceivedMessage>& StandInTest::Received() {
    return ReceivedMessages;
}

SDL_Window* StandInTest::SdlWindowOf(HWND window) {
    HWND__* record = FindWindowRecord(window);
    return record != nullptr ? record->surface->sdl : nullptr;
}

void StandInTest::PushKey(HWND window, SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers,
                          bool down, bool repeat) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(SdlWindowOf(window));
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = modifiers;
    ASSERT_EQ(1, SDL_PushEvent(&event));
}

void StandInTest::PushWindowEvent(HWND window, Uint8 windowEvent, int data1, int data2) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(SdlWindowOf(window));
    event.window.event = windowEvent;
    event.window.data1 = data1;
    event.window.data2 = data2;
    ASSERT_EQ(1, SDL_PushEvent(&event));
}
