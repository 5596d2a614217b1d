// Shared records of the capture's Win32 set: the settings, the window classes, the one window
// kind there is (a fullscreen window on the capture's display), its device context, the
// rendering contexts and the message queue. Internal to veskop_win32_capture; the program sees
// <windows.h>, the capture program capture_platform.h.
//
// Handles given out are pointers to these records, and every handle taken in is looked up among
// the live records first, so a stale or made-up handle fails as the real call fails.
//
// One thread, as the program has: nothing here is locked.
#ifndef VESKOP_CAPTURE_STATE_H
#define VESKOP_CAPTURE_STATE_H

#include "capture_platform.h"

#include <EGL/egl.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct HINSTANCE__ {
    const char* name;  // for a person reading a debugger
};

// A predefined icon or cursor; HCURSOR is the same type.
struct HICON__ {
    WORD resourceId;
};

struct WindowClassRecord {
    std::string name;
    HINSTANCE instance;
    WNDPROC procedure;
    int windowCount;  // live windows of this class; a class with windows cannot be unregistered
};

struct HDC__ {
    HWND__* window;
    int pixelFormat;  // 1 once SetPixelFormat has run; 0 before
};

struct HWND__ {
    WindowClassRecord* windowClass;
    HDC__ dc;
};

// An OpenGL context of its own with a framebuffer object of the display's size, which stands in
// for the window's buffers: the program draws into it, SwapBuffers reads it back.
struct HGLRC__ {
    EGLContext egl;
    unsigned framebuffer;     // GL names, in `egl`
    unsigned colorBuffer;
    unsigned depthBuffer;
};

struct CaptureState {
    CaptureSettings settings;
    long framesPresented = 0;

    std::vector<std::unique_ptr<WindowClassRecord>> classes;
    ATOM nextAtom = 0xC000;  // string atoms start here, as on Windows
    std::vector<std::unique_ptr<HWND__>> windows;
    HWND__* focus = nullptr;
    std::vector<std::unique_ptr<HGLRC__>> contexts;
    HGLRC__* currentContext = nullptr;
    HDC__* currentDC = nullptr;

    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;

    int cursorCounter = 0;  // ShowCursor's display counter
};

CaptureState& State();

// Live-record lookups; null for a handle that is not (or no longer) one of ours.
HWND__* FindWindowRecord(HWND window);
HDC__* FindDeviceContext(HDC dc);
HGLRC__* FindContextRecord(HGLRC context);
WindowClassRecord* FindClass(LPCSTR className, HINSTANCE instance);

void PostToQueue(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam);
void DropQueuedMessages(HWND__* window);

// Releases the current context if it is current on this device context (whose window goes).
void ForgetCurrentOn(HDC__* dc);
// Reads the current context's framebuffer into pixels (RGBA, top row first, resized to fit).
// False when no context is current.
bool ReadCurrentFrame(std::vector<std::uint8_t>* pixels);

#endif
