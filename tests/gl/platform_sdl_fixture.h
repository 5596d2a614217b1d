// For tests of the Win32 core over the SDL set: an X server of the test process's own (so that
// focus and input from tests running side by side cannot reach it), a window class whose
// procedure records what it receives, and ways to feed SDL events in as the display would.
#ifndef VESKOP_TEST_WIN32_SDL_FIXTURE_H
#define VESKOP_TEST_WIN32_SDL_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "core.h"
#include "sdl_backend.h"
#include "x_server.h"

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class StandInTest : public testing::Test {
protected:
    static const char ClassName[];

    // Started at the first use in the process, before SDL first opens a display.
    static const XvfbServer& Server();

    void SetUp() override;
    void TearDown() override;

    // A hidden window of `style` whose client area is width x height, placed as CreateDemoWindow
    // places its windows (the outer rectangle from AdjustWindowRectEx, at 0, 0).
    HWND MakeWindow(DWORD style, int width, int height, const char* title = "stand-in test");
    // The program's pixel format request: double-buffered true colour with depthBits of depth.
    static PIXELFORMATDESCRIPTOR WindowDescriptor(BYTE depthBits);
    // A rendering context for the window's device context, made current; null on any failure.
    HGLRC MakeCurrentContext(HWND window, BYTE depthBits = 32);

    // Everything PeekMessageA returns until it has nothing more, removed.
    std::vector<MSG> TakeMessages();
    // Lets the display's own events for the windows arrive, then forgets them and what the
    // procedure received.
    void Settle();
    std::vector<ReceivedMessage>& Received();

    void PushKey(HWND window, SDL_Scancode scancode, SDL_Keycode sym, Uint16 modifiers, bool down,
                 bool repeat = false);
    void PushWindowEvent(HWND window, Uint8 event, int data1 = 0, int data2 = 0);
    SDL_Window* SdlWindowOf(HWND window);

private:
    std::vector<HWND> windows_;
    std::vector<HGLRC> contexts_;
};

#endif
